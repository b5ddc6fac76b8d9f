#pragma once

#include "CachedWeatherPayload.h"
#include "LocalCalendar.h"
#include "ProviderForecast.h"
#include "WeatherLocation.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <optional>

// What every fuzz target shares: the Qt set-up, the calendars the decoders run in, and the checks of the
// invariants that hold across the decoders and the snapshot.
namespace nimbra::fuzz {

// A Qt application object and a silent log, made once per process.
void ensureApplication();

QByteArray bytes(const std::uint8_t* data, std::size_t size);
// `input` cut at NUL bytes into `count` parts: a missing part repeats the last one, so a single document
// fills every role.
QList<QByteArray> parts(const QByteArray& input, int count);

// Stops the process with a report when `holds` is false: the fuzzer keeps the input as a crash, and the
// replay of a saved input fails.
void require(bool holds, const char* what, const QString& detail = {});

// A calendar chosen by `seed` among UTC and the zones farthest east (+14:00) and west (-12:00), where
// day boundaries and the years at the ends of the range move the most.
LocalCalendar calendarFor(std::size_t seed);
// A place every decoder may be asked about.
WeatherLocation sampleLocation();

// The forecast as a refresh leaves it (with the consensus built from it) must reach the snapshot whole:
// it encodes, and decoding gives back the same values with nothing dropped.
void requireStorable(const ProviderForecast& forecast, const WeatherLocation& location, const QDateTime& now,
                     const LocalCalendar& calendar);
// A provider's answer (one document, or several joined by NUL bytes) and what its client is asked with.
struct Answer {
    QByteArray input;
    WeatherLocation location;
    QDateTime now;
    LocalCalendar calendar;
};
// The answer read as that provider's client reads a successful one; nothing when the client would report it
// as unreadable.
using ForecastDecoder = std::optional<ProviderForecast> (*)(const Answer& answer);
// Runs `decode` over the input in a calendar chosen by the input's size, and requires whatever it returns to
// belong to the place asked about and to be storable.
int checkForecastDecoder(const std::uint8_t* data, std::size_t size, const QDateTime& now,
                         ForecastDecoder decode);

// A payload must encode, and decoding must give back the same payload with nothing dropped.
void requireRoundTrip(const CachedWeatherPayload& payload, const char* what);

} // namespace nimbra::fuzz
