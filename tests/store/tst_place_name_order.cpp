#include "PlaceNameOrder.h"

#include <QCollator>
#include <QRandomGenerator>
#include <QTest>

using namespace nimbra;

namespace {

// What the places list is sorted by: the locale's collator, case ignored, digits by value.
QCollator referenceCollator(const QLocale& locale) {
    const bool plain = locale.language() == QLocale::C;
    QCollator collator(plain ? QLocale(QLocale::English, QLocale::UnitedStates) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

int sign(int value) {
    return (value > 0) - (value < 0);
}

const QStringList kNames = {
    "",
    " ",
    "a",
    "A",
    "aa",
    "a a",
    "a-a",
    "a_a",
    "a.a",
    "a,a",
    "a'a",
    "a(a)",
    "a~",
    "a$",
    "a0",
    "a 0",
    "Zone 2",
    "Zone 10",
    "zone 02",
    "Zone 002b",
    "Zone 2b",
    "Zone 2 b",
    "Zone 0",
    "Zone 00",
    "Zone",
    "Zone ",
    "zone-2",
    "Zone_2",
    "Zone,2",
    "10",
    "9",
    "09",
    "1a",
    "1 a",
    "a1b2",
    "a01b02",
    "a1b10",
    "St. Louis",
    "St Louis",
    "Saint-Louis",
    "Portland, OR",
    "Portland OR",
    "Portland (OR)",
    "O'Hare",
    "Ohare",
    "X&Y",
    "X+Y",
    "@home",
    "#1",
    "%",
    "`",
    "^",
    "|",
    "\\",
    "/",
    "<>",
    "=",
    "!",
    "?",
    ":",
    ";",
    "\"q\"",
    "[a]",
    "{a}",
    "*",
    "12345678901234567890",
    "12345678901234567891",
    "0000000000000000000000000000001",
    "1",
    "ABC",
    "abc",
    "abd",
    "abcd",
    "ab c",
};

// Printable ASCII, weighted towards the characters where orders differ: digits, spaces, punctuation, case.
QString randomName(QRandomGenerator& random) {
    static const QString weighted = QStringLiteral("aAbBzZ0019  -_.,'()$~");
    QString name;
    const int length = random.bounded(7);
    for (int i = 0; i < length; ++i) {
        name.append(random.bounded(4) == 0 ? QChar(char16_t(0x20 + random.bounded(95)))
                                           : weighted[random.bounded(weighted.size())]);
    }
    return name;
}

} // namespace

class PlaceNameOrderTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    // The direct order must be the collator's exactly, or the places would sort differently with and
    // without a non-ASCII name among them.
    void asciiNamesCompareAsTheCollatorDoes_data() {
        QTest::addColumn<QLocale>("locale");
        for (const auto language : {QLocale::C, QLocale::English, QLocale::German, QLocale::French,
                                    QLocale::Italian, QLocale::Portuguese, QLocale::Dutch, QLocale::Spanish})
            QTest::newRow(qPrintable(QLocale::languageToString(language))) << QLocale(language);
        QTest::newRow("Canadian French") << QLocale(QLocale::French, QLocale::Canada);
    }

    void asciiNamesCompareAsTheCollatorDoes() {
        QFETCH(QLocale, locale);
        QVERIFY(PlaceNameOrder::comparesASCIIDirectly(locale));
        const PlaceNameOrder order(locale);
        const QCollator collator = referenceCollator(locale);
        auto check = [&](const QString& a, const QString& b) {
            const int expected = sign(collator.compare(a, b));
            if (order.compare(a, b) != expected)
                QFAIL(qPrintable(QStringLiteral("\"%1\" vs \"%2\": expected %3").arg(a, b).arg(expected)));
        };
        for (const QString& a : kNames) {
            for (const QString& b : kNames)
                check(a, b);
        }
        for (int c = 0x20; c < 0x7f; ++c) {
            for (int d = 0x20; d < 0x7f; ++d)
                check(QString(QChar(c)), QString(QChar(d)));
        }
        QRandomGenerator random(23);
        for (int i = 0; i < 20000; ++i)
            check(randomName(random), randomName(random));
    }

    void otherNamesAndLocalesUseTheCollator_data() {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("second");
        // Danish sorts "aa" as its last letter.
        QTest::newRow("Danish aa") << QLocale(QLocale::Danish) << "Zealand"
                                   << "Aarhus";
        // Lithuanian sorts y with i, before k.
        QTest::newRow("Lithuanian y") << QLocale(QLocale::Lithuanian) << "Vilnius y"
                                      << "Vilnius k";
        QTest::newRow("umlaut beside its letter") << QLocale(QLocale::German) << "Ängelholm"
                                                  << "Berlin";
        QTest::newRow("accent, then digits by value") << QLocale::c() << "Zürich 2"
                                                      << "Zürich 10";
        QTest::newRow("long digit run") << QLocale::c() << QString(40, u'1') << QString(41, u'1');
    }

    void otherNamesAndLocalesUseTheCollator() {
        QFETCH(QLocale, locale);
        QFETCH(QString, first);
        QFETCH(QString, second);
        const PlaceNameOrder order(locale);
        QCOMPARE(sign(referenceCollator(locale).compare(first, second)), -1);
        QCOMPARE(order.compare(first, second), -1);
        QCOMPARE(order.compare(second, first), 1);
    }
};

QTEST_GUILESS_MAIN(PlaceNameOrderTest)
#include "tst_place_name_order.moc"
