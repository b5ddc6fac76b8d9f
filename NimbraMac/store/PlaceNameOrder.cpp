#include "PlaceNameOrder.h"

#include <QStringView>

#include <algorithm>
#include <array>

namespace nimbra {
namespace {

// The collator's primary order of the printable ASCII characters that are neither digits nor letters. All of
// them come before the digits, which come before the letters.
constexpr char16_t symbolOrder[] = u" _-,;:!?.'\"()[]{}@*/\\&#%`^+<=>|~$";

// Collators split longer digit runs; names never have them, so such names go to the collator.
constexpr qsizetype longestDigitRun = 32;

constexpr std::array<int, 128> makeRanks() {
    std::array<int, 128> ranks{};
    int rank = 1;
    for (char16_t c : symbolOrder) {
        if (c)
            ranks[c] = rank++;
    }
    return ranks;
}
constexpr std::array<int, 128> symbolRanks = makeRanks();
constexpr int digitRank = std::size(symbolOrder);
constexpr int firstLetterRank = digitRank + 1;

bool isDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

char16_t lower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// Printable ASCII without a digit run the direct order would misjudge.
bool isPlainName(QStringView name) {
    qsizetype run = 0;
    for (const QChar ch : name) {
        const char16_t c = ch.unicode();
        if (c < 0x20 || c > 0x7e)
            return false;
        run = isDigit(c) ? run + 1 : 0;
        if (run > longestDigitRun)
            return false;
    }
    return true;
}

int rankOf(char16_t c) {
    const char16_t l = lower(c);
    if (l >= u'a' && l <= u'z')
        return firstLetterRank + (l - u'a');
    return symbolRanks[c];
}

// The digit run starting at `from`, without its leading zeros (a collator compares runs by value).
QStringView digitRun(QStringView text, qsizetype& from) {
    while (from < text.size() && text[from] == u'0' && from + 1 < text.size() &&
           isDigit(text[from + 1].unicode()))
        ++from;
    const qsizetype start = from;
    while (from < text.size() && isDigit(text[from].unicode()))
        ++from;
    return text.mid(start, from - start);
}

int compareValues(QStringView a, QStringView b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b);
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

int compareDirectly(QStringView a, QStringView b) {
    qsizetype i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const char16_t ca = a[i].unicode(), cb = b[j].unicode();
        const int ra = isDigit(ca) ? digitRank : rankOf(ca);
        const int rb = isDigit(cb) ? digitRank : rankOf(cb);
        if (ra != rb)
            return ra < rb ? -1 : 1;
        if (ra == digitRank) {
            if (const int byValue = compareValues(digitRun(a, i), digitRun(b, j)))
                return sign(byValue);
            continue;
        }
        ++i;
        ++j;
    }
    return (i < a.size()) - (j < b.size());
}

} // namespace

PlaceNameOrder::PlaceNameOrder(const QLocale& locale)
    : m_locale(locale), m_direct(comparesASCIIDirectly(locale)) {}

bool PlaceNameOrder::comparesASCIIDirectly(const QLocale& locale) {
    // These languages' rules change nothing among ASCII characters; others (Danish "aa", Lithuanian "y",
    // Czech "ch", Turkish dotless i, ...) do.
    switch (locale.language()) {
    case QLocale::C:
    case QLocale::AnyLanguage:
    case QLocale::English:
    case QLocale::German:
    case QLocale::French:
    case QLocale::Italian:
    case QLocale::Portuguese:
    case QLocale::Dutch:
    case QLocale::Spanish:
        return true;
    default:
        return false;
    }
}

int PlaceNameOrder::compare(const QString& a, const QString& b) const {
    if (m_direct && isPlainName(a) && isPlainName(b))
        return compareDirectly(a, b);
    return sign(collator().compare(a, b));
}

// Qt bypasses ICU for the C locale and then ignores numeric mode, so that locale borrows English rules.
const QCollator& PlaceNameOrder::collator() const {
    if (!m_collator) {
        const bool plain = m_locale.language() == QLocale::C || m_locale.language() == QLocale::AnyLanguage;
        m_collator.emplace(plain ? QLocale(QLocale::English, QLocale::UnitedStates) : m_locale);
        m_collator->setCaseSensitivity(Qt::CaseInsensitive);
        m_collator->setNumericMode(true);
    }
    return *m_collator;
}

} // namespace nimbra
