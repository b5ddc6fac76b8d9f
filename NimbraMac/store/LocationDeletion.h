#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QUuid>

namespace nimbra {

// A place the user deleted, kept in the snapshot so that a copy of the place in the synced mirror that is not
// newer than the deletion (the mirror write failed, or the program stopped before it) does not bring it back.
struct LocationDeletion {
    QUuid id;
    QDateTime deletedAt;

    bool operator==(const LocationDeletion&) const = default;

    // How many records a snapshot keeps, newest first: older deletions have long reached the mirror.
    static constexpr qsizetype maximumCount = 256;

    QJsonObject toJson() const;
    // Throws DecodingError when malformed.
    static LocationDeletion fromJson(const QJsonValue& value);

    // `records` with `deleted` added at `at` (one record per id), the newest `maximumCount` kept.
    static QList<LocationDeletion> recorded(QList<LocationDeletion> records, const QList<QUuid>& deleted,
                                            const QDateTime& at);
    // True when `records` holds a deletion of `id` made at `updatedAt` or later.
    static bool supersedes(const QList<LocationDeletion>& records, const QUuid& id,
                           const QDateTime& updatedAt);
};

} // namespace nimbra
