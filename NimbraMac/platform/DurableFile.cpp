#include "DurableFile.h"

#include "Log.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
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

} // namespace

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
