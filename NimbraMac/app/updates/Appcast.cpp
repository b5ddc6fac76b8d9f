#include "Appcast.h"

#include "WebAddress.h"

#include <QXmlStreamReader>

#include <algorithm>

namespace nimbra {

namespace {

const QString sparkleNamespace = QStringLiteral("http://www.andymatuschak.org/xml-namespaces/sparkle");

bool isSparkle(const QXmlStreamReader& reader, QLatin1String name) {
    return reader.name() == name && reader.namespaceUri() == sparkleNamespace;
}

QString sparkleAttribute(const QXmlStreamAttributes& attributes, const QString& name) {
    return attributes.value(sparkleNamespace, name).toString().trimmed();
}

AppcastItem readItem(QXmlStreamReader& reader) {
    AppcastItem item;
    QString enclosureVersion;
    QString enclosureShortVersion;
    while (reader.readNextStartElement()) {
        if (reader.namespaceUri().isEmpty() && reader.name() == QLatin1String("title")) {
            item.title = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (reader.namespaceUri().isEmpty() && reader.name() == QLatin1String("link")) {
            item.link = QUrl(reader.readElementText().trimmed(), QUrl::StrictMode);
        } else if (isSparkle(reader, QLatin1String("version"))) {
            item.version = reader.readElementText().trimmed();
        } else if (isSparkle(reader, QLatin1String("shortVersionString"))) {
            item.shortVersionString = reader.readElementText().trimmed();
        } else if (reader.namespaceUri().isEmpty() && reader.name() == QLatin1String("enclosure")) {
            const auto attributes = reader.attributes();
            item.enclosureURL =
                QUrl(attributes.value(QLatin1String("url")).toString().trimmed(), QUrl::StrictMode);
            enclosureVersion = sparkleAttribute(attributes, QStringLiteral("version"));
            enclosureShortVersion = sparkleAttribute(attributes, QStringLiteral("shortVersionString"));
            reader.skipCurrentElement();
        } else {
            reader.skipCurrentElement();
        }
    }
    if (item.version.isEmpty())
        item.version = enclosureVersion;
    if (item.shortVersionString.isEmpty())
        item.shortVersionString = enclosureShortVersion;
    return item;
}

bool isUsableVersion(QStringView text) {
    return !text.isEmpty() && text.front().isDigit();
}

bool hasVersion(const AppcastItem& item) {
    return isUsableVersion(item.version) || isUsableVersion(item.shortVersionString);
}

// Compares two digit runs of any length without converting them (a feed may hold any number).
int compareDigits(QStringView a, QStringView b) {
    while (a.size() > 1 && a.front() == QLatin1Char('0'))
        a = a.mid(1);
    while (b.size() > 1 && b.front() == QLatin1Char('0'))
        b = b.mid(1);
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

bool isAsciiDigit(QChar c) {
    return c.isDigit() && c.unicode() < 128;
}

// The length of the leading run of digits, or of other characters when `part` starts with one.
qsizetype runLength(QStringView part) {
    const bool digits = isAsciiDigit(part.front());
    qsizetype n = 1;
    while (n < part.size() && isAsciiDigit(part[n]) == digits)
        ++n;
    return n;
}

// Run by run: digits by number ("b10" > "b9"), the rest as text ("rc" > "beta"); a suffix that is a
// leading part of the other ranks below it.
int compareSuffixes(QStringView a, QStringView b) {
    while (!a.isEmpty() && !b.isEmpty()) {
        const QStringView x = a.first(runLength(a));
        const QStringView y = b.first(runLength(b));
        const int result = isAsciiDigit(x.front()) && isAsciiDigit(y.front())
                               ? compareDigits(x, y)
                               : x.compare(y, Qt::CaseInsensitive);
        if (result != 0)
            return result;
        a = a.mid(x.size());
        b = b.mid(y.size());
    }
    return a.isEmpty() == b.isEmpty() ? 0 : (a.isEmpty() ? -1 : 1);
}

int compareComponents(QStringView a, QStringView b) {
    const qsizetype aDigits = a.isEmpty() || !isAsciiDigit(a.front()) ? 0 : runLength(a);
    const qsizetype bDigits = b.isEmpty() || !isAsciiDigit(b.front()) ? 0 : runLength(b);
    const QStringView aNumber = aDigits ? a.first(aDigits) : QStringView(u"0");
    const QStringView bNumber = bDigits ? b.first(bDigits) : QStringView(u"0");
    if (const int byNumber = compareDigits(aNumber, bNumber); byNumber != 0)
        return byNumber;
    const QStringView aSuffix = a.mid(aDigits);
    const QStringView bSuffix = b.mid(bDigits);
    // A pre-release ranks below the bare number.
    if (aSuffix.isEmpty() || bSuffix.isEmpty())
        return aSuffix.isEmpty() == bSuffix.isEmpty() ? 0 : (aSuffix.isEmpty() ? 1 : -1);
    return compareSuffixes(aSuffix, bSuffix);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

// Short version first, then the build; an item without one of them ranks below one with it.
int compareItems(const AppcastItem& a, const AppcastItem& b) {
    auto compareField = [](const QString& x, const QString& y) {
        if (isUsableVersion(x) != isUsableVersion(y))
            return isUsableVersion(x) ? 1 : -1;
        return isUsableVersion(x) ? compareVersions(x, y) : 0;
    };
    if (const int byShort = compareField(a.shortVersionString, b.shortVersionString); byShort != 0)
        return byShort;
    return compareField(a.version, b.version);
}

} // namespace

QUrl AppcastItem::downloadPage() const {
    if (isSafeWebAddress(link))
        return link;
    if (isSafeWebAddress(enclosureURL))
        return enclosureURL;
    return {};
}

QString AppcastItem::displayVersion() const {
    if (shortVersionString.isEmpty())
        return version;
    if (version.isEmpty() || version == shortVersionString)
        return shortVersionString;
    return QStringLiteral("%1 (%2)").arg(shortVersionString, version);
}

std::optional<Appcast> Appcast::parse(const QByteArray& document) {
    QXmlStreamReader reader(document);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("rss"))
        return std::nullopt;
    Appcast appcast;
    while (reader.readNextStartElement()) {
        if (reader.name() != QLatin1String("channel")) {
            reader.skipCurrentElement();
            continue;
        }
        while (reader.readNextStartElement()) {
            if (reader.name() == QLatin1String("item")) {
                AppcastItem item = readItem(reader);
                if (hasVersion(item))
                    appcast.items.append(std::move(item));
            } else {
                reader.skipCurrentElement();
            }
        }
    }
    // Read to the end so that a document broken after the last item is refused too.
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError())
        return std::nullopt;
    return appcast;
}

std::optional<AppcastItem> Appcast::newest() const {
    if (items.isEmpty())
        return std::nullopt;
    return *std::max_element(items.cbegin(), items.cend(), [](const AppcastItem& a, const AppcastItem& b) {
        return compareItems(a, b) < 0;
    });
}

int compareVersions(QStringView a, QStringView b) {
    const auto aParts = a.trimmed().split(QLatin1Char('.'));
    const auto bParts = b.trimmed().split(QLatin1Char('.'));
    const qsizetype count = std::max(aParts.size(), bParts.size());
    for (qsizetype i = 0; i < count; ++i) {
        const QStringView x = i < aParts.size() ? aParts[i] : QStringView(u"0");
        const QStringView y = i < bParts.size() ? bParts[i] : QStringView(u"0");
        if (const int result = compareComponents(x, y); result != 0)
            return sign(result);
    }
    return 0;
}

bool isNewer(const AppcastItem& item, const QString& version, const QString& build) {
    if (isUsableVersion(item.shortVersionString) && isUsableVersion(version)) {
        if (const int byVersion = compareVersions(item.shortVersionString, version); byVersion != 0)
            return byVersion > 0;
    }
    if (isUsableVersion(item.version) && isUsableVersion(build))
        return compareVersions(item.version, build) > 0;
    return false;
}

} // namespace nimbra
