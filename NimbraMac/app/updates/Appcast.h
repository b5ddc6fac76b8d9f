#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringView>
#include <QUrl>

#include <optional>

namespace nimbra {

// One release in an update feed (an RSS "appcast" with the Sparkle namespace).
struct AppcastItem {
    QString title;
    // sparkle:version, the build number of the release; from the element, else the enclosure's attribute.
    QString version;
    // sparkle:shortVersionString, the version people read; same sources.
    QString shortVersionString;
    QUrl enclosureURL;
    // The item's <link>: the release's download page.
    QUrl link;

    // The page to send people to: the link, else the enclosure, when it is a safe web address; empty
    // otherwise (the feed is not trusted to open anything else).
    QUrl downloadPage() const;
    // "2.0 (2000)", "2.0" or "2000", whichever the feed gives.
    QString displayVersion() const;

    bool operator==(const AppcastItem&) const = default;
};

struct Appcast {
    QList<AppcastItem> items;

    // The releases of a feed document in feed order, items without any version left out; none when the
    // document is not well-formed XML or not an RSS feed.
    static std::optional<Appcast> parse(const QByteArray& document);

    // The newest release by shortVersionString, then version; none when no item has a version.
    std::optional<AppcastItem> newest() const;
};

// Numeric dotted comparison: "1.10" > "1.9", "1.0" == "1.0.0", "007" == "7"; within a component a
// pre-release suffix ranks below the bare number ("2.0b1" < "2.0"), and numbered suffixes go by their number
// ("2.0b10" > "2.0b9"). Negative, zero or positive.
int compareVersions(QStringView a, QStringView b);

// Whether a release is newer than the running one (version, build). The readable versions decide; when
// they are equal or the item has none, the build numbers do, as the update framework compares them.
bool isNewer(const AppcastItem& item, const QString& version, const QString& build);

} // namespace nimbra
