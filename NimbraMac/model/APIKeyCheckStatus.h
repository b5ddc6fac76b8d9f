#pragma once

#include "LocalCalendar.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QString>

#include <optional>

namespace nimbra {

// Where the check of one provider's API key stands. Lives in memory only; never persisted.
struct APIKeyCheckStatus {
    enum class Kind { notChecked, missing, checking, valid, invalid };

    Kind kind = Kind::notChecked;
    QDateTime checkedAt; // valid only
    QString message;     // invalid only

    static APIKeyCheckStatus notChecked() { return {Kind::notChecked, {}, {}}; }
    static APIKeyCheckStatus missing() { return {Kind::missing, {}, {}}; }
    static APIKeyCheckStatus checking() { return {Kind::checking, {}, {}}; }
    static APIKeyCheckStatus valid(const QDateTime& at) { return {Kind::valid, at, {}}; }
    static APIKeyCheckStatus invalid(const QString& why) { return {Kind::invalid, {}, why}; }

    QString title() const;
    // The time in the valid detail is the calendar's short time of day, as every other screen writes it.
    std::optional<QString> detail(const LocalCalendar& calendar = LocalCalendar::system()) const;

    bool operator==(const APIKeyCheckStatus&) const = default;
};

size_t qHash(const APIKeyCheckStatus& status, size_t seed = 0) noexcept;

} // namespace nimbra
