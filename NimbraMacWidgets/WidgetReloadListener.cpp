#include "WidgetReloadListener.h"

#include "WidgetCenter.h"

#include <QDir>
#include <QFileInfo>

#include <sys/stat.h>

namespace nimbra {

SnapshotStamp SnapshotStamp::of(const QString& filePath) {
    struct stat info {};
    if (filePath.isEmpty() || ::stat(QFile::encodeName(filePath).constData(), &info) != 0)
        return {};
    constexpr qint64 nsPerSecond = 1'000'000'000;
    return {true, static_cast<quint64>(info.st_ino), static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * nsPerSecond + info.st_mtim.tv_nsec,
            static_cast<qint64>(info.st_ctim.tv_sec) * nsPerSecond + info.st_ctim.tv_nsec};
}

WidgetReloadListener::WidgetReloadListener(QString snapshotFilePath, QStringList kinds, QObject* parent)
    : QObject(parent), m_filePath(std::move(snapshotFilePath)), m_kinds(std::move(kinds)) {
    // The runners read the file when they start.
    const SnapshotStamp stamp = SnapshotStamp::of(m_filePath);
    for (const QString& kind : std::as_const(m_kinds))
        m_readStamps.insert(kind, stamp);
    // A fixed window from the first request, not one restarted by each: a stream of requests still ends.
    m_settle.setSingleShot(true);
    m_settle.setInterval(defaultSettleMs);
    connect(&m_settle, &QTimer::timeout, this, &WidgetReloadListener::flush);
}

void WidgetReloadListener::watchSnapshotFolder() {
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &WidgetReloadListener::folderChanged,
            Qt::UniqueConnection);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &WidgetReloadListener::folderChanged,
            Qt::UniqueConnection);
    watchNearestFolder();
}

bool WidgetReloadListener::listenOn(QDBusConnection bus) {
    if (!bus.isConnected())
        return false;
    const QString path = WidgetCenterDBus::objectPath();
    const QString interface = WidgetCenterDBus::interfaceName();
    // Any sender: the application has no well-known name on the bus when it sends.
    const bool all = bus.connect(QString(), path, interface, QLatin1String(WidgetCenterDBus::reloadAllSignal),
                                 this, SLOT(requestAll()));
    const bool kind =
        bus.connect(QString(), path, interface, QLatin1String(WidgetCenterDBus::reloadKindSignal), this,
                    SLOT(requestKind(QString)));
    return all && kind;
}

QStringList WidgetReloadListener::watchedPaths() const {
    return m_watcher.directories() + m_watcher.files();
}

void WidgetReloadListener::requestAll() {
    for (const QString& kind : std::as_const(m_kinds))
        m_pending.insert(kind);
    if (!m_settle.isActive())
        m_settle.start();
}

void WidgetReloadListener::requestKind(const QString& kind) {
    if (!m_kinds.contains(kind))
        return;
    m_pending.insert(kind);
    if (!m_settle.isActive())
        m_settle.start();
}

void WidgetReloadListener::folderChanged() {
    // The file is replaced by a rename, which drops it from the watch, and its folder may only now exist.
    watchNearestFolder();
    requestAll();
}

void WidgetReloadListener::watchNearestFolder() {
    if (m_filePath.isEmpty())
        return;
    QString folder = QFileInfo(m_filePath).absolutePath();
    while (!QFileInfo(folder).isDir()) {
        const QString parent = QFileInfo(folder).absolutePath();
        if (parent == folder)
            break;
        folder = parent;
    }
    QStringList wanted{folder};
    // Also the file itself, which catches a writer that rewrites it in place.
    if (QFileInfo::exists(m_filePath) && folder == QFileInfo(m_filePath).absolutePath())
        wanted.append(m_filePath);
    const QStringList current = watchedPaths();
    for (const QString& path : current) {
        if (!wanted.contains(path))
            m_watcher.removePath(path);
    }
    for (const QString& path : wanted) {
        if (!current.contains(path))
            m_watcher.addPath(path);
    }
}

void WidgetReloadListener::flush() {
    const SnapshotStamp stamp = SnapshotStamp::of(m_filePath);
    const QSet<QString> pending = std::exchange(m_pending, {});
    // The second half of a save's burst, and changes of other files in the folder, find nothing new to read.
    QStringList kinds;
    for (const QString& kind : std::as_const(m_kinds)) {
        if (pending.contains(kind) && m_readStamps.value(kind) != stamp) {
            m_readStamps.insert(kind, stamp);
            kinds.append(kind);
        }
    }
    if (!kinds.isEmpty())
        Q_EMIT reloadRequested(kinds);
}

} // namespace nimbra
