#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

#include <optional>

namespace nimbra {

// The order of names in a file browser, in a locale: case ignored, runs of digits compared by value.
// Opening a collator pulls some 2 MB of collation code and tables into memory that stay resident; names made
// only of printable ASCII, in a locale whose rules leave those characters as the root order has them, are
// compared here by that order directly and give exactly the collator's answer. Other names open it.
class PlaceNameOrder {
public:
    explicit PlaceNameOrder(const QLocale& locale);

    // Negative when `a` comes first, zero when the two have no order between them, positive otherwise.
    int compare(const QString& a, const QString& b) const;

    // Whether names in `locale` that are printable ASCII are compared without a collator.
    static bool comparesASCIIDirectly(const QLocale& locale);

private:
    QLocale m_locale;
    bool m_direct;
    mutable std::optional<QCollator> m_collator;

    const QCollator& collator() const;
};

} // namespace nimbra
