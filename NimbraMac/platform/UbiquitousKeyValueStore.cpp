#include "UbiquitousKeyValueStore.h"

#include "AppGroupContainer.h"
#include "DurableFile.h"
#include "JsonOutline.h"
#include "Log.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

#include <algorithm>

namespace nimbra {

namespace {

// A key that JSON writes as it is, between quotes.
bool isPlain(const QString& key) {
    return std::all_of(key.cbegin(), key.cend(), [](QChar c) {
        return c.unicode() >= 0x20 && c.unicode() < 0x7f && c != u'"' && c != u'\\';
    });
}

// The compact JSON object of key and base64 value, as QJsonDocument writes it. The values are large (a whole
// snapshot): written straight to bytes, they skip the Latin-1 strings and the JSON tree.
QByteArray encodedEntries(const QHash<QString, QByteArray>& entries) {
    QStringList keys = entries.keys();
    if (!std::all_of(keys.cbegin(), keys.cend(), isPlain)) {
        QJsonObject object;
        for (auto it = entries.cbegin(); it != entries.cend(); ++it)
            object.insert(it.key(), QString::fromLatin1(it->toBase64()));
        return QJsonDocument(object).toJson(QJsonDocument::Compact);
    }
    std::sort(keys.begin(), keys.end());
    // One buffer of the final size: the value is tens of megabytes, each step's copy of it would cost.
    qsizetype size = 2;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        size += it.key().size() + (it->size() + 2) / 3 * 4 + 6;
    QByteArray out;
    out.reserve(size);
    out += '{';
    for (const QString& key : std::as_const(keys)) {
        if (out.size() > 1)
            out += ',';
        out += '"';
        out += key.toLatin1();
        out += "\":\"";
        out += entries.value(key).toBase64();
        out += '"';
    }
    out += '}';
    return out;
}

// BLAKE2b: a quarter of SHA-256's time over a snapshot of tens of megabytes, which each write digests.
QByteArray digestOf(const QByteArray& value) {
    return QCryptographicHash::hash(value, QCryptographicHash::Blake2b_256);
}

// The entries of a file as encodedEntries() writes it, read without a JSON tree (which would hold each
// value once more as UTF-16); nothing when the file is written otherwise.
std::optional<QHash<QString, QByteArray>> outlinedEntries(const QByteArray& text) {
    const auto outline = JsonOutline::of(text);
    if (!outline)
        return std::nullopt;
    QHash<QString, QByteArray> entries;
    for (const JsonMember& member : outline->members()) {
        const QByteArrayView value = member.value.in(text);
        if (!value.startsWith('"'))
            continue;
        if (value.contains('\\'))
            return std::nullopt;
        const auto decoded =
            QByteArray::fromBase64Encoding(QByteArray::fromRawData(value.data() + 1, value.size() - 2),
                                           QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            entries.insert(QString::fromUtf8(member.key), *decoded);
    }
    return entries;
}

QHash<QString, QByteArray> entriesOf(const QByteArray& text) {
    if (auto entries = outlinedEntries(text))
        return *std::move(entries);
    QHash<QString, QByteArray> entries;
    const QJsonObject object = QJsonDocument::fromJson(text).object();
    for (auto it = object.begin(); it != object.end(); ++it) {
        if (!it->isString())
            continue;
        const auto decoded = QByteArray::fromBase64Encoding(it->toString().toLatin1(),
                                                            QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            entries.insert(it.key(), *decoded);
    }
    return entries;
}

} // namespace

std::shared_ptr<UbiquitousKeyValueStore> UbiquitousKeyValueStore::makeDefault() {
    return std::make_shared<UbiquitousKeyValueStoreFile>(UbiquitousKeyValueStoreFile::defaultFilePath());
}

UbiquitousKeyValueStoreFile::UbiquitousKeyValueStoreFile(QString filePath)
    : m_filePath(std::move(filePath)) {}

QString UbiquitousKeyValueStoreFile::defaultFilePath() {
    const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        return {};
    return QDir(base).filePath(
        QStringLiteral("Nimbra/Sync/%1.json").arg(AppGroupContainer::groupIdentifier()));
}

QHash<QString, QByteArray> UbiquitousKeyValueStoreFile::readEntries() const {
    QHash<QString, QByteArray> entries;
    if (!m_filePath.isEmpty()) {
        const FileContents contents = readRegularFile(m_filePath, mostBytes);
        if (contents.bytes) {
            m_seen = FileState::of(m_filePath);
            entries = entriesOf(*contents.bytes);
        } else if (!contents.absent) {
            qCInfo(cacheLog, "Synced store could not read %s: %s", qUtf8Printable(m_filePath),
                   qUtf8Printable(contents.problem));
        }
    }
    remember(entries);
    return entries;
}

void UbiquitousKeyValueStoreFile::remember(const QHash<QString, QByteArray>& entries) const {
    m_digests.clear();
    for (auto it = entries.cbegin(); it != entries.cend(); ++it)
        m_digests.insert(it.key(), digestOf(*it));
}

UbiquitousKeyValueStoreFile::FileState UbiquitousKeyValueStoreFile::FileState::of(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists())
        return {};
    constexpr auto othersMayAccess =
        QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    return {info.size(), info.lastModified(), !(info.permissions() & othersMayAccess)};
}

bool UbiquitousKeyValueStoreFile::holds(const QString& key, const QByteArray& digest) const {
    const auto it = m_digests.constFind(key);
    if (it == m_digests.constEnd() || *it != digest)
        return false;
    // The file as this store last read or wrote it, not changed by another program since (nor opened to
    // others, which a rewrite mends): comparing what was stored spares reading and encoding it again.
    const FileState now = FileState::of(m_filePath);
    return m_seen && now.isPrivate && now == *m_seen;
}

bool UbiquitousKeyValueStoreFile::holdsNoneBut(const QString& key) const {
    const auto others = std::any_of(m_digests.keyBegin(), m_digests.keyEnd(),
                                    [&](const QString& held) { return held != key; });
    return !others && m_seen && FileState::of(m_filePath) == *m_seen;
}

std::optional<QByteArray> UbiquitousKeyValueStoreFile::data(const QString& key) const {
    const QHash<QString, QByteArray> entries = readEntries();
    const auto it = entries.constFind(key);
    if (it == entries.constEnd())
        return std::nullopt;
    return *it;
}

bool UbiquitousKeyValueStoreFile::setData(const QByteArray& value, const QString& key) {
    if (m_filePath.isEmpty() || createFolder(QFileInfo(m_filePath).absolutePath()))
        return false;
    // Most saves (every launch among them) change nothing here: no rewrite and flush of the same bytes.
    const QByteArray digest = digestOf(value);
    if (holds(key, digest))
        return true;
    // The file is read for the other entries it keeps; one that holds this value alone is not.
    QHash<QString, QByteArray> updated;
    if (!holdsNoneBut(key)) {
        updated = readEntries();
        if (holds(key, digest))
            return true;
    }
    updated.insert(key, value);
    const QByteArray encoded = encodedEntries(updated);
    // The entries carry the user's places: readable by the user alone.
    if (const auto reason =
            replaceFileDurably(m_filePath, encoded, QFileDevice::ReadOwner | QFileDevice::WriteOwner)) {
        qCInfo(cacheLog, "Synced store could not write %s: %s", qUtf8Printable(m_filePath),
               qUtf8Printable(*reason));
        return false;
    }
    m_digests.insert(key, digest);
    m_seen = FileState::of(m_filePath);
    return true;
}

std::optional<QByteArray> UbiquitousKeyValueStoreInMemory::data(const QString& key) const {
    const auto it = m_entries.constFind(key);
    if (it == m_entries.constEnd())
        return std::nullopt;
    return *it;
}

bool UbiquitousKeyValueStoreInMemory::setData(const QByteArray& value, const QString& key) {
    if (m_sizeLimit && value.size() > *m_sizeLimit)
        return false;
    m_entries.insert(key, value);
    ++m_writeCount;
    return true;
}

} // namespace nimbra
