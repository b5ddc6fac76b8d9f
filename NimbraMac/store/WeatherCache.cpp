#include "WeatherCache.h"

#include "AppGroupContainer.h"
#include "DurableFile.h"
#include "Log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>

namespace nimbra {

QString WeatherCache::appGroupIdentifier() {
    return AppGroupContainer::groupIdentifier();
}

QString WeatherCache::defaultDirectoryPath() {
    return AppGroupContainer().filePath(folderName);
}

QString WeatherCache::defaultFilePath() {
    const QString folder = defaultDirectoryPath();
    return folder.isEmpty() ? QString() : QDir(folder).filePath(fileName);
}

WeatherCache::WeatherCache(std::optional<QString> filePath)
    : m_filePath(filePath ? *filePath : defaultFilePath()) {
    qCInfo(cacheLog, "Weather cache initialized appGroup=%s legacyDefaults=false fileMode=%s file=%s",
           qUtf8Printable(appGroupIdentifier()), filePath ? "true" : "false", qUtf8Printable(m_filePath));
}

WeatherCacheReading WeatherCache::read() const {
    return readWith([](const QByteArray& bytes, WeatherCacheReading& reading) {
        auto decoded = CachedWeatherPayload::decode(bytes, &reading.droppedEntries);
        if (decoded)
            reading.payload = std::move(*decoded.value);
        return decoded.error;
    });
}

WeatherCacheReading WeatherCache::readLeading() const {
    return decodedWhole(readOutlined());
}

WeatherCacheReading WeatherCache::readOutlined() const {
    return readWith([](const QByteArray& bytes, WeatherCacheReading& reading) {
        auto outline = SnapshotOutline::of(bytes);
        if (!outline) {
            reading.status = WeatherCacheReading::Status::undecoded;
            return QString();
        }
        auto decoded = outline->leading(&reading.droppedEntries);
        if (!decoded)
            return decoded.error;
        reading.payload = std::move(*decoded.value);
        reading.outline = std::make_shared<const SnapshotOutline>(std::move(*outline));
        return QString();
    });
}

CachedWeatherPayload WeatherCache::loadSelected() const {
    WeatherCacheReading reading = readLeading();
    if (reading.outline && !reading.payload.selectedForecast) {
        const ForecastTables tables = reading.outline->tables();
        reading.payload.forecasts = tables.forecasts;
        reading.payload.providerForecasts = tables.providerForecasts;
    }
    return reading.payload;
}

template <typename Decode> WeatherCacheReading WeatherCache::readWith(Decode decode) const {
    WeatherCacheReading reading;
    const FileContents contents =
        m_filePath.isEmpty() ? FileContents{true, std::nullopt, {}} : readRegularFile(m_filePath, mostBytes);
    if (contents.absent) {
        qCInfo(cacheLog, "Weather cache found no payload");
        return reading;
    }
    if (!contents.bytes)
        return unreadable(std::move(reading), contents.problem);
    reading.byteCount = contents.bytes->size();
    const QString problem = decode(*contents.bytes, reading);
    if (!problem.isEmpty())
        return unreadable(std::move(reading), problem);
    if (reading.status == WeatherCacheReading::Status::undecoded) {
        reading.bytes = *contents.bytes;
        qCInfo(cacheLog, "Weather cache read file bytes=%lld, to be decoded whole",
               static_cast<long long>(reading.byteCount));
        return reading;
    }
    return loaded(std::move(reading), *contents.bytes);
}

WeatherCacheReading WeatherCache::loaded(WeatherCacheReading reading, const QByteArray& bytes) {
    reading.status = WeatherCacheReading::Status::loaded;
    reading.bytes = bytes;
    for (const QString& entry : std::as_const(reading.droppedEntries))
        qCInfo(cacheLog, "Weather cache dropped unreadable entry %s", qUtf8Printable(entry));
    if (reading.outline)
        qCInfo(cacheLog, "Weather cache loaded file payload bytes=%lld, forecasts to follow",
               static_cast<long long>(bytes.size()));
    else
        qCInfo(cacheLog, "Weather cache loaded file payload bytes=%lld forecasts=%lld",
               static_cast<long long>(bytes.size()),
               static_cast<long long>(reading.payload.forecasts.size()));
    return reading;
}

WeatherCacheReading WeatherCache::unreadable(WeatherCacheReading reading, const QString& problem) const {
    reading.problem = problem;
    reading.droppedEntries.clear();
    reading.status = WeatherCacheReading::Status::unreadable;
    qCInfo(cacheLog, "Weather cache could not read file %s: %s", qUtf8Printable(m_filePath),
           qUtf8Printable(reading.problem));
    qCInfo(cacheLog, "Weather cache found no payload");
    return reading;
}

WeatherCacheReading WeatherCache::decodedWhole(WeatherCacheReading undecoded) const {
    if (undecoded.status != WeatherCacheReading::Status::undecoded)
        return undecoded;
    const QByteArray bytes = std::move(undecoded.bytes);
    WeatherCacheReading reading;
    reading.byteCount = bytes.size();
    auto decoded = CachedWeatherPayload::decode(bytes, &reading.droppedEntries);
    if (!decoded)
        return unreadable(std::move(reading), decoded.error);
    reading.payload = std::move(*decoded.value);
    return loaded(std::move(reading), bytes);
}

std::optional<WeatherCacheError> WeatherCache::save(const CachedWeatherPayload& payload, QByteArray* written,
                                                    const QByteArray& onDisk) const {
    qsizetype forecastsWritten = 0;
    const auto bytes = payload.encoded(&forecastsWritten);
    if (!bytes)
        return encodingError(bytes.error);
    if (onDisk.isEmpty() || *bytes != onDisk) {
        if (auto error = writeEncoded(*bytes, forecastsWritten))
            return error;
    }
    if (written)
        *written = *bytes;
    return std::nullopt;
}

WeatherCacheError WeatherCache::encodingError(const QString& reason) {
    return {WeatherCacheError::Code::encodingFailed,
            QCoreApplication::translate("WeatherCache", "The weather snapshot could not be encoded: %1")
                .arg(reason)};
}

std::optional<WeatherCacheError> WeatherCache::writeEncoded(const QByteArray& bytes,
                                                            qsizetype forecastsWritten) const {
    if (auto error = write(bytes))
        return error;
    qCInfo(cacheLog, "Weather cache saved file payload bytes=%lld forecasts=%lld",
           static_cast<long long>(bytes.size()), static_cast<long long>(forecastsWritten));
    return std::nullopt;
}

std::optional<WeatherCacheError> WeatherCache::write(const QByteArray& bytes) const {
    if (m_filePath.isEmpty())
        return WeatherCacheError{
            WeatherCacheError::Code::folderUnavailable,
            QCoreApplication::translate("WeatherCache",
                                        "No per-user data folder is available for the weather snapshot.")};
    // QSaveFile reports only "Unknown error" for a missing folder, so it is made first.
    if (const auto problem = createFolder(QFileInfo(m_filePath).absolutePath()))
        return WeatherCacheError{WeatherCacheError::Code::folderUnavailable, *problem};

    // The snapshot holds the user's places and position: readable by the user alone.
    if (const auto reason =
            replaceFileDurably(m_filePath, bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return WeatherCacheError{
            WeatherCacheError::Code::writeFailed,
            QCoreApplication::translate("WeatherCache", "Could not save the weather snapshot to %1: %2")
                .arg(m_filePath, *reason)};
    return std::nullopt;
}

Coded<QString> WeatherCache::setAsideUnreadableFile(const QDateTime& now) const {
    if (!QFileInfo::exists(m_filePath))
        return {QString(), {}};
    const QString stamp = now.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString target = QStringLiteral("%1.unreadable-%2").arg(m_filePath, stamp);
    for (int n = 2; QFileInfo::exists(target); ++n)
        target = QStringLiteral("%1.unreadable-%2-%3").arg(m_filePath, stamp).arg(n);
    // A plain rename: QFile's falls back to copying the file, which would read a FIFO.
    if (std::rename(QFile::encodeName(m_filePath).constData(), QFile::encodeName(target).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        qCInfo(cacheLog, "Weather cache could not set aside unreadable file %s: %s",
               qUtf8Printable(m_filePath), qUtf8Printable(reason));
        return {std::nullopt, reason};
    }
    qCInfo(cacheLog, "Weather cache set aside unreadable file %s as %s", qUtf8Printable(m_filePath),
           qUtf8Printable(target));
    deleteOldUnreadableCopies();
    return {target, {}};
}

void WeatherCache::deleteOldUnreadableCopies() const {
    const QFileInfo info(m_filePath);
    const QRegularExpression copyName(QStringLiteral("^%1\\.unreadable-(\\d{8}T\\d{6}Z)(?:-(\\d+))?$")
                                          .arg(QRegularExpression::escape(info.fileName())));
    // Oldest first: by the time in the name, then by the number added for copies of one second.
    std::map<std::pair<QString, int>, QString> copies;
    const QDir folder = info.absoluteDir();
    for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        const QRegularExpressionMatch match = copyName.match(name);
        if (match.hasMatch())
            copies.emplace(std::pair(match.captured(1), match.captured(2).toInt()), name);
    }
    auto copy = copies.cbegin();
    for (auto surplus = qsizetype(copies.size()) - keptUnreadableCopies; surplus > 0; --surplus, ++copy) {
        if (QFile::remove(folder.filePath(copy->second)))
            qCInfo(cacheLog, "Weather cache deleted old unreadable file %s", qUtf8Printable(copy->second));
    }
}

} // namespace nimbra
