#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <memory>
#include <optional>

namespace nimbra {

// A per-user key-value store that follows the user to their other machines. A write may be refused without
// notice and a synchronisation request may be ignored: callers rely only on reading back what was stored.
// (The name is the first platform's synced store; here synchronize() has nothing to push: the file in the
// sync folder is the store, and the user's own tool carries it to other machines.)
class UbiquitousKeyValueStore {
public:
    virtual ~UbiquitousKeyValueStore() = default;

    virtual std::optional<QByteArray> data(const QString& key) const = 0;
    // Returns false when the store refused the value.
    virtual bool setData(const QByteArray& value, const QString& key) = 0;
    // Asks the store to exchange its values with the other machines soon.
    virtual bool synchronize() = 0;

    // The file store at its per-user location.
    static std::shared_ptr<UbiquitousKeyValueStore> makeDefault();
};

// The entries as one JSON file (key → base64 of the value), rewritten atomically on each write. It lives in a
// folder the user may sync between machines with a tool of their choice; nothing here talks to a network. The
// file is read when a value is asked for and before a write that may have other entries to keep (not when it
// is as this store left it, holding only the key written), and only when it is a regular file of at most
// mostBytes (anything else holds no value); of what it held, only digests are kept, since its one large value
// is the whole snapshot.
class UbiquitousKeyValueStoreFile final : public UbiquitousKeyValueStore {
public:
    // A file larger is not read (it holds no copy): the snapshot's own bound, WeatherCache::mostBytes, in
    // base64, with room for the keys.
    static constexpr qint64 mostBytes = qint64(704) << 20;

    explicit UbiquitousKeyValueStoreFile(QString filePath);

    // $XDG_DATA_HOME/Nimbra/Sync/<group identifier>.json; empty when there is no per-user data folder.
    static QString defaultFilePath();

    const QString& filePath() const { return m_filePath; }

    std::optional<QByteArray> data(const QString& key) const override;
    bool setData(const QByteArray& value, const QString& key) override;
    bool synchronize() override { return true; }

private:
    // What a look at the file (no read) tells: enough to notice that another program replaced it.
    struct FileState {
        qint64 size = -1;
        QDateTime modified;
        bool isPrivate = false;

        static FileState of(const QString& path);
        bool operator==(const FileState&) const = default;
    };

    // The entries the file holds now, empty when there is none; notes what was seen.
    QHash<QString, QByteArray> readEntries() const;
    void remember(const QHash<QString, QByteArray>& entries) const;
    // The file holds the value of `digest` under `key` already.
    bool holds(const QString& key, const QByteArray& digest) const;
    // The file, as last read or written here, holds no entry but `key`'s.
    bool holdsNoneBut(const QString& key) const;

    QString m_filePath;
    // A digest of each value when the file was last read or written.
    mutable QHash<QString, QByteArray> m_digests;
    // The file then.
    mutable std::optional<FileState> m_seen;
};

// Entries in memory, for tests. A size limit makes larger writes be refused, as a synced store may do.
class UbiquitousKeyValueStoreInMemory final : public UbiquitousKeyValueStore {
public:
    explicit UbiquitousKeyValueStoreInMemory(std::optional<qsizetype> sizeLimit = std::nullopt)
        : m_sizeLimit(sizeLimit) {}

    std::optional<QByteArray> data(const QString& key) const override;
    bool setData(const QByteArray& value, const QString& key) override;
    bool synchronize() override {
        ++m_synchronizeCount;
        return true;
    }

    void setSizeLimit(std::optional<qsizetype> limit) { m_sizeLimit = limit; }
    int writeCount() const { return m_writeCount; }
    int synchronizeCount() const { return m_synchronizeCount; }

private:
    QHash<QString, QByteArray> m_entries;
    std::optional<qsizetype> m_sizeLimit;
    int m_writeCount = 0;
    int m_synchronizeCount = 0;
};

} // namespace nimbra
