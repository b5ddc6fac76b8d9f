#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace nimbra {

// Replaces the file at `path` with `bytes` so that a reader, a crash or a power cut finds either the old file
// or the whole new one, never an empty or partial one. The bytes go unbuffered to a temporary file beside it:
// a buffered QSaveFile meets a full disk only while committing, and then still renames the short file into
// place and reports success. The temporary file reaches the disk before it takes the old one's place, and
// the folder after. Returns why the file could not be replaced; the old file is then untouched.
std::optional<QString> replaceFileDurably(const QString& path, const QByteArray& bytes,
                                          QFileDevice::Permissions permissions);

} // namespace nimbra
