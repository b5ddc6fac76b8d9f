#pragma once

#include "WeatherSample.h"

#include <QByteArrayView>
#include <QList>

#include <optional>

namespace nimbra {

// Reads the JSON array of weather samples at the start of `text` straight from its bytes, without a JSON
// tree: the hourly samples are nearly all of a snapshot, and building Qt's tree of them and reading it back
// costs more than the parse itself. Only the form JsonWriter gives them is taken: members in its order (any
// optional one left out or null), plain numbers, dates and conditions as strings without escapes, and JSON
// white space anywhere. Anything else gives nothing (a member unknown, out of order or twice, an escape, a
// number it cannot read exactly as Qt's parser does, a value of the wrong kind, a malformed date or
// condition, a cut text); so does a sample that WeatherSample::fromJson would refuse. The caller then
// decodes the array through Qt's parser, which gives the same samples or says what is wrong. What it takes
// is well-formed JSON that WeatherSample::fromJson reads to the same samples, every double to the bit.
// `length` receives how many bytes the array took, brackets included.
std::optional<QList<WeatherSample>> readSampleArray(QByteArrayView text, qsizetype& length);

} // namespace nimbra
