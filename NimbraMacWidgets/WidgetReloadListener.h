#pragma once

#include <QDBusConnection>
#include <QFileSystemWatcher>
#include <QHash>
#include <QObject>
#include <QSet>
#include <QStringList>
#include <QTimer>

namespace nimbra {

// Where and when the snapshot file was last replaced; equal stamps mean there is nothing new to read.
struct SnapshotStamp {
    bool exists = false;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    static SnapshotStamp of(const QString& filePath);
    bool operator==(const SnapshotStamp&) const = default;
};

// Gathers the application's requests to reload the widgets: the widget centre's D-Bus signals and the changes
// of the snapshot's folder, which catch a save even when there is no bus or the host started after the
// signal. One save arrives as a burst (all timelines and each kind, the same again a second later, plus the
// folder's own events), so requests are gathered for a short while and announced once, for the kinds that
// have not read the file as it is now.
class WidgetReloadListener : public QObject {
    Q_OBJECT
public:
    static constexpr int defaultSettleMs = 200;

    // `kinds` are the kinds a request for all timelines stands for, in the order they are announced.
    WidgetReloadListener(QString snapshotFilePath, QStringList kinds, QObject* parent = nullptr);

    // Subscribes to the widget centre's signals on `bus`. False when the bus is not connected.
    bool listenOn(QDBusConnection bus);
    // Watches the snapshot's folder (or, until it exists, its nearest existing parent).
    void watchSnapshotFolder();
    void setSettleInterval(int milliseconds) { m_settle.setInterval(milliseconds); }
    // The folder or nearest existing parent being watched (tests).
    QStringList watchedPaths() const;

Q_SIGNALS:
    // The kinds whose timelines must be rebuilt, a subset of the given kinds in their order.
    void reloadRequested(const QStringList& kinds);

private Q_SLOTS:
    void requestAll();
    void requestKind(const QString& kind);

private:
    void folderChanged();
    void watchNearestFolder();
    void flush();

    QString m_filePath;
    QStringList m_kinds;
    QSet<QString> m_pending;
    // The file as each kind last read it.
    QHash<QString, SnapshotStamp> m_readStamps;
    QTimer m_settle;
    QFileSystemWatcher m_watcher;
};

} // namespace nimbra
