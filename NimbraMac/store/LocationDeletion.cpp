#include "LocationDeletion.h"

#include "JsonCodec.h"
#include "UUIDText.h"

#include <algorithm>

namespace nimbra {

QJsonObject LocationDeletion::toJson() const {
    return {{"id", uuidText(id)}, {"deletedAt", json::dateText(deletedAt)}};
}

LocationDeletion LocationDeletion::fromJson(const QJsonValue& value) {
    const QJsonObject o = json::asObject(value, u"LocationDeletion");
    return {json::readUUID(o, u"id"), json::readDate(o, u"deletedAt")};
}

QList<LocationDeletion> LocationDeletion::recorded(QList<LocationDeletion> records,
                                                   const QList<QUuid>& deleted, const QDateTime& at) {
    records.removeIf([&](const LocationDeletion& r) { return deleted.contains(r.id); });
    for (const QUuid& id : deleted)
        records.append({id, at});
    std::stable_sort(
        records.begin(), records.end(),
        [](const LocationDeletion& a, const LocationDeletion& b) { return a.deletedAt > b.deletedAt; });
    if (records.size() > maximumCount)
        records.resize(maximumCount);
    return records;
}

bool LocationDeletion::supersedes(const QList<LocationDeletion>& records, const QUuid& id,
                                  const QDateTime& updatedAt) {
    return std::any_of(records.cbegin(), records.cend(),
                       [&](const LocationDeletion& r) { return r.id == id && r.deletedAt >= updatedAt; });
}

} // namespace nimbra
