#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <optional>

namespace nimbra {

// What reading a file found: its bytes, or why there are none.
struct FileContents {
    // Nothing at the path (or a link to nothing): no file to read, none to set aside.
    bool absent = false;
    std::optional<QByteArray> bytes;
    // Why the file could not be read, when it is there.
    QString problem;
};

// The bytes of the regular file at `path`, read whole when it holds at most `limit` bytes. Anything else
// there (a FIFO, a device, a folder, a socket, or a link to one) is refused unread, and opening it cannot
// block; a file larger than `limit` is refused unread, and one that grows past it while read is refused too.
FileContents readRegularFile(const QString& path, qint64 limit);

// Replaces the file at `path` with `bytes` so that a reader, a crash or a power cut finds either the old file
// or the whole new one, never an empty or partial one. The bytes go unbuffered to a temporary file beside it:
// a buffered QSaveFile meets a full disk only while committing, and then still renames the short file into
// place and reports success. The temporary file reaches the disk before it takes the old one's place, and
// the folder after. Returns why the file could not be replaced; the old file is then untouched.
std::optional<QString> replaceFileDurably(const QString& path, const QByteArray& bytes,
                                          QFileDevice::Permissions permissions);

} // namespace nimbra
