#pragma once

#include "CachedWeatherPayload.h"
#include "SnapshotOutline.h"

#include "JsonCodec.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>

namespace nimbra {

struct WeatherCacheError {
    enum class Code {
        // A value of the snapshot has no JSON form (a number that is not finite).
        encodingFailed,
        // The folder of the file is missing and cannot be created, or the system names no data folder.
        folderUnavailable,
        writeFailed,
    };
    Code code = Code::writeFailed;
    // The text shown to the user.
    QString description;

    bool operator==(const WeatherCacheError&) const = default;
};

// What reading the snapshot file found.
struct WeatherCacheReading {
    enum class Status {
        // No file, or no file path: a first launch.
        absent,
        loaded,
        // A file is there but cannot be read or decoded. It must not be replaced before it is set aside.
        unreadable,
        // From readOutlined(): a file that does not outline, read but not decoded (its bytes in `bytes`);
        // decodedWhole() finishes it.
        undecoded,
    };
    Status status = Status::absent;
    CachedWeatherPayload payload;
    qsizetype byteCount = 0;
    // The file as read, when it loaded: lets a save that would write the same bytes skip the disk.
    QByteArray bytes;
    // Forecast entries that were malformed and left out (the rest of the file loaded).
    QStringList droppedEntries;
    // Why an unreadable file could not be used.
    QString problem;
    // From readLeading(): the file's bytes outlined, when its two tables were left for later (payload then
    // holds neither, and droppedEntries only what was dropped from the rest).
    std::shared_ptr<const SnapshotOutline> outline;
};

// Reads and writes the snapshot as one JSON file. The application writes it; the widget host only reads it.
// Writes are atomic, so a reader sees the old or the new snapshot and never a partial one.
class WeatherCache {
public:
    static QString appGroupIdentifier();
    static inline const QString folderName = QStringLiteral("Nimbra");
    static inline const QString fileName = QStringLiteral("weather-widget-cache-v3.json");
    // Set-aside unreadable files kept for the user; older ones are deleted.
    static constexpr int keptUnreadableCopies = 3;
    // A larger file is unreadable and is not read at all: far above any real snapshot (190 places of five
    // providers' 240 hours are some 60 MB), it keeps a wrong file (a sparse one, a link to a device) from
    // filling the memory.
    static constexpr qint64 mostBytes = qint64(512) << 20;

    // The "Nimbra" folder of the shared container; empty when the system names no per-user data folder.
    static QString defaultDirectoryPath();
    static QString defaultFilePath();

    // With no path, the default file.
    explicit WeatherCache(std::optional<QString> filePath = std::nullopt);
    WeatherCache(const WeatherCache&) = default;
    WeatherCache& operator=(const WeatherCache&) = default;
    // Tests hold a write on the writer thread through a derived cache.
    virtual ~WeatherCache() = default;

    const QString& filePath() const { return m_filePath; }

    // The snapshot, or the empty one when there is nothing usable to read. Never changes the file.
    CachedWeatherPayload load() const { return read().payload; }
    WeatherCacheReading read() const;
    // Like read(), but from a well-formed file only what is not in the two forecast tables is decoded; they
    // are left in `outline`. A file that does not outline is read whole.
    WeatherCacheReading readLeading() const;
    // Like readLeading(), but a file that does not outline is left `undecoded`, so that a launch decodes it
    // whole off its GUI thread.
    WeatherCacheReading readOutlined() const;
    // An `undecoded` reading decoded whole (loaded or unreadable, as read() finds it); any other as it is.
    WeatherCacheReading decodedWhole(WeatherCacheReading undecoded) const;
    // The snapshot as far as its selected forecast needs: the two forecast tables are decoded only when the
    // file has no selected forecast of its own. What the widgets show, at a fraction of a whole decode.
    CachedWeatherPayload loadSelected() const;

    // Encodes and writes. On any failure the previous file stays as it was. `written` receives the bytes on
    // success, so the synced mirror can store them without encoding again. When the encoding equals
    // `onDisk` (the file's known content) nothing is written: the file holds that state already.
    std::optional<WeatherCacheError> save(const CachedWeatherPayload& payload, QByteArray* written = nullptr,
                                          const QByteArray& onDisk = {}) const;

    // Writes bytes the snapshot encoder produced (holding `forecastsWritten` consensus forecasts, for the
    // log). On any failure the previous file stays as it was.
    virtual std::optional<WeatherCacheError> writeEncoded(const QByteArray& bytes,
                                                          qsizetype forecastsWritten) const;
    // The error of a snapshot that has no JSON form, for `reason`.
    static WeatherCacheError encodingError(const QString& reason);

    // Renames the file to "<name>.unreadable-<UTC time>" so the next save keeps it for the user, and deletes
    // all but the newest `keptUnreadableCopies` of them. Gives the new path (empty when the file is gone
    // already), or why the file could not be moved.
    Coded<QString> setAsideUnreadableFile(const QDateTime& now) const;

private:
    // Reads the file; `decode` fills the reading from its bytes and says why it could not.
    // Only a regular file of at most mostBytes is read, and opening the path never blocks (a FIFO).
    template <typename Decode> WeatherCacheReading readWith(Decode decode) const;
    static WeatherCacheReading loaded(WeatherCacheReading reading, const QByteArray& bytes);
    WeatherCacheReading unreadable(WeatherCacheReading reading, const QString& problem) const;
    std::optional<WeatherCacheError> write(const QByteArray& bytes) const;
    void deleteOldUnreadableCopies() const;

    QString m_filePath;
};

} // namespace nimbra
