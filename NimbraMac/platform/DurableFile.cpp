#include "DurableFile.h"

#include "Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace nimbra {
namespace {

QString systemError(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Some file systems cannot sync (EINVAL): there the data is as safe as the system makes it, which is no
// reason to refuse the save.
std::optional<QString> syncedToDisk(int descriptor) {
    int result = 0;
    do {
        result = ::fdatasync(descriptor);
    } while (result != 0 && errno == EINTR);
    if (result == 0 || errno == EINVAL || errno == EROFS)
        return std::nullopt;
    return systemError(errno);
}

// Makes the rename itself survive a power cut. The new file is in place already, so a failure is only logged.
void syncFolder(const QString& folder) {
    const int descriptor = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0 || ::fsync(descriptor) != 0)
        qCInfo(cacheLog, "Could not sync the folder %s: %s", qUtf8Printable(folder),
               qUtf8Printable(systemError(errno)));
    if (descriptor >= 0)
        ::close(descriptor);
}

// Reads `descriptor` to its end, but no further than `limit` + 1 bytes: one more than allowed tells a file
// that grew past the limit. `expected` is the size the file had when opened.
std::optional<QByteArray> readToEnd(int descriptor, qint64 expected, qint64 limit) {
    QByteArray bytes(qsizetype(expected), Qt::Uninitialized);
    qint64 filled = 0;
    for (;;) {
        if (filled == bytes.size()) {
            if (filled > limit)
                break;
            // A file written meanwhile: read on in steps, never past the limit's next byte.
            bytes.resize(qsizetype(std::min(limit + 1, filled + std::max<qint64>(filled, 1 << 16))));
        }
        const ssize_t got = ::read(descriptor, bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(qsizetype(filled));
    return bytes;
}

} // namespace

FileContents readRegularFile(const QString& path, qint64 limit) {
    FileContents contents;
    const QByteArray name = QFile::encodeName(path);
    int descriptor = -1;
    do {
        // Not blocking: a FIFO's open() would wait for a writer that never comes.
        descriptor = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        contents.absent = errno == ENOENT;
        contents.problem = systemError(errno);
        return contents;
    }
    const auto closing = qScopeGuard([descriptor] { ::close(descriptor); });
    struct stat info = {};
    if (::fstat(descriptor, &info) != 0) {
        contents.problem = systemError(errno);
        return contents;
    }
    const auto tooLarge = [limit] {
        return QCoreApplication::translate("DurableFile", "the file is larger than %1 bytes").arg(limit);
    };
    if (!S_ISREG(info.st_mode)) {
        contents.problem = QCoreApplication::translate("DurableFile", "not a regular file");
        return contents;
    }
    if (info.st_size > limit) {
        contents.problem = tooLarge();
        return contents;
    }
    auto bytes = readToEnd(descriptor, info.st_size, limit);
    if (!bytes)
        contents.problem = systemError(errno);
    else if (bytes->size() > limit)
        contents.problem = tooLarge();
    else
        contents.bytes = std::move(bytes);
    return contents;
}

std::optional<QString> replaceFileDurably(const QString& path, const QByteArray& bytes,
                                          QFileDevice::Permissions permissions) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return file.errorString();
    const auto abandon = [&file](const QString& reason) {
        file.cancelWriting();
        return std::optional(reason);
    };
    if (!file.setPermissions(permissions))
        return abandon(file.errorString());
    const qint64 written = file.write(bytes);
    if (written != bytes.size()) {
        // The system writes on after a short write until it fails, so only the count may be known.
        if (written < 0 || file.error() != QFileDevice::NoError)
            return abandon(file.errorString());
        return abandon(QCoreApplication::translate("DurableFile", "only %1 of %2 bytes could be written")
                           .arg(written)
                           .arg(bytes.size()));
    }
    if (!file.flush() || file.error() != QFileDevice::NoError)
        return abandon(file.errorString());
    if (const auto problem = syncedToDisk(file.handle()))
        return abandon(*problem);
    if (!file.commit())
        return file.errorString();
    syncFolder(QFileInfo(path).absolutePath());
    return std::nullopt;
}

} // namespace nimbra
