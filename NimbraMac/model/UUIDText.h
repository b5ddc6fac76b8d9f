#pragma once

#include <QString>
#include <QStringView>
#include <QUuid>

#include <optional>

namespace nimbra {

// Canonical text of a UUID: 36 characters, upper-case hexadecimal in groups 8-4-4-4-12.
QString uuidText(const QUuid& id);
// Reads exactly the canonical 8-4-4-4-12 form, in either case; braces and other forms are rejected.
std::optional<QUuid> parseUUID(QStringView text);

} // namespace nimbra
