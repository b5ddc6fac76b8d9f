#pragma once

#include "WeatherSample.h"

#include <QByteArray>
#include <QList>

#include <optional>
#include <vector>

namespace nimbra {

// Hourly sample lists read straight from a snapshot's bytes (readSampleArray), by where their forecast lies
// in the snapshot. A list is there only when its array was in the writer's form; the others are left in the
// JSON for the tree's decoder.
struct HourlyReadAhead {
    using Samples = std::optional<QList<WeatherSample>>;

    Samples selectedForecast;
    // By pair of the "forecasts" table.
    std::vector<Samples> forecasts;
    // By pair of the "providerForecasts" table, then by place in that pair's list.
    std::vector<std::vector<Samples>> providerForecasts;
};

// A snapshot whose hourly arrays were read ahead: `rest` is its text with each of them written as "[]".
struct SnapshotWithoutHourly {
    QByteArray rest;
    HourlyReadAhead hourly;
};

// Reads the hourly arrays of the bytes ahead when the whole text is a JSON object that the strict reader
// (JsonOutline's) takes, so that Qt's parser takes `rest` too and decodes it, record by record, to what it
// decodes the bytes to but for the hourly lists. Nothing when it does not, when a key is written with escapes
// or "hourly" occurs twice in a forecast (which of two Qt keeps is its own business), or when no array was
// read ahead: the bytes are then decoded whole as they are.
std::optional<SnapshotWithoutHourly> readHourlyAhead(const QByteArray& bytes);

} // namespace nimbra
