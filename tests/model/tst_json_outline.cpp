// The outline must never take a text Qt's parser refuses (the launch would then decode parts of a file that
// is unreadable as a whole); it may refuse more, which only costs a whole decode.
#include "JsonOutline.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace nimbra;

namespace {

QByteArray spanText(const QByteArray& text, JsonSpan span) {
    return span.in(text).toByteArray();
}

// A member's value as Qt reads it from its span alone.
QJsonValue valueAt(const QByteArray& text, JsonSpan span) {
    return QJsonDocument::fromJson('[' + spanText(text, span) + ']').array().at(0);
}

} // namespace

class JsonOutlineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void outlinesTheTopLevelObject() {
        const QByteArray text =
            " {\"b\" : [ 1, {\"x\":[2]} ,\"s\\\"]\" ] ,\n\"a\":{\"k\":\"}\"},\"c\":-0.5e-3,"
            "\"d\":null ,\"e\":[]}\r\n";
        const auto outline = JsonOutline::of(text);
        QVERIFY(outline);
        QStringList keys;
        for (const JsonMember& m : outline->members())
            keys.append(QString::fromUtf8(m.key));
        QCOMPARE(keys, (QStringList{"b", "a", "c", "d", "e"}));
        const JsonMember* b = outline->member("b");
        QCOMPARE(b->elements.size(), 3);
        QCOMPARE(spanText(text, b->elements[1]), QByteArray("{\"x\":[2]}"));
        QCOMPARE(spanText(text, b->elements[2]), QByteArray("\"s\\\"]\""));
        QVERIFY(outline->member("a")->elements.isEmpty());
        QVERIFY(outline->member("e")->elements.isEmpty());
        QVERIFY(!outline->member("z"));
        const QJsonObject whole = QJsonDocument::fromJson(text).object();
        for (const JsonMember& m : outline->members())
            QCOMPARE(valueAt(text, m.value), whole.value(QString::fromUtf8(m.key)));
    }

    void takesOnlyWhatQtTakes_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("outlined");
        QTest::newRow("empty object") << QByteArray("{}") << true;
        QTest::newRow("escapes and a surrogate pair")
            << QByteArray("{\"a\":\"\\n\\t\\/\\u00e9\\ud83d\\ude00\"}") << true;
        QTest::newRow("UTF-8 of two to four bytes")
            << QByteArray("{\"a\":\"\xc3\xa9\xe2\x82\xac\xf0\x9f\x98\x80\"}") << true;
        QTest::newRow("numbers") << QByteArray("{\"a\":[0,-0,1.5,1e299,-2E+10,0.000001,1e-290]}") << true;
        QTest::newRow("not an object") << QByteArray("[1]") << false;
        QTest::newRow("nothing") << QByteArray("") << false;
        QTest::newRow("garbage after") << QByteArray("{} x") << false;
        QTest::newRow("trailing comma") << QByteArray("{\"a\":1,}") << false;
        QTest::newRow("missing value") << QByteArray("{\"a\":}") << false;
        QTest::newRow("unclosed") << QByteArray("{\"a\":[1,2}") << false;
        QTest::newRow("key with an escape") << QByteArray("{\"\\u0061\":1}") << false;
        QTest::newRow("key twice") << QByteArray("{\"a\":1,\"a\":2}") << false;
        QTest::newRow("unknown escape") << QByteArray("{\"a\":\"\\x\"}") << false;
        QTest::newRow("short unicode escape") << QByteArray("{\"a\":\"\\u12\"}") << false;
        QTest::newRow("lone high surrogate") << QByteArray("{\"a\":\"\\ud800\"}") << false;
        QTest::newRow("lone low surrogate") << QByteArray("{\"a\":\"\\udc00x\"}") << false;
        QTest::newRow("control character") << QByteArray("{\"a\":\"\x01\"}") << false;
        QTest::newRow("overlong UTF-8") << QByteArray("{\"a\":\"\xc0\x80\"}") << false;
        QTest::newRow("UTF-8 surrogate") << QByteArray("{\"a\":\"\xed\xa0\x80\"}") << false;
        QTest::newRow("beyond U+10FFFF") << QByteArray("{\"a\":\"\xf5\x80\x80\x80\"}") << false;
        QTest::newRow("cut UTF-8") << QByteArray("{\"a\":\"\xe2\x82\"}") << false;
        QTest::newRow("overflowing number") << QByteArray("{\"a\":1e400}") << false;
        QTest::newRow("vanishing number") << QByteArray("{\"a\":1e-400}") << false;
        // 1e399 written out: every digit counts against the exponent.
        QTest::newRow("long overflowing number") << "{\"a\":1" + QByteArray(400, '0') + "e-1}" << false;
        QTest::newRow("leading zero") << QByteArray("{\"a\":01}") << false;
        QTest::newRow("bare point") << QByteArray("{\"a\":1.}") << false;
        QTest::newRow("no integer part") << QByteArray("{\"a\":.5}") << false;
        QTest::newRow("plus sign") << QByteArray("{\"a\":+1}") << false;
        QTest::newRow("lone minus") << QByteArray("{\"a\":-}") << false;
        QTest::newRow("misspelt literal") << QByteArray("{\"a\":tru}") << false;
        QTest::newRow("byte order mark") << QByteArray("\xef\xbb\xbf{}") << false;
        QTest::newRow("deep nesting")
            << "{\"a\":" + QByteArray(300, '[') + QByteArray(300, ']') + "}" << false;
    }

    void takesOnlyWhatQtTakes() {
        QFETCH(QByteArray, text);
        QFETCH(bool, outlined);
        const auto outline = JsonOutline::of(text);
        QCOMPARE(bool(outline), outlined);
        if (!outline)
            return;
        QJsonParseError error{};
        const QJsonDocument document = QJsonDocument::fromJson(text, &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        for (const JsonMember& m : outline->members())
            QCOMPARE(valueAt(text, m.value), document.object().value(QString::fromUtf8(m.key)));
    }
};

QTEST_GUILESS_MAIN(JsonOutlineTest)
#include "tst_json_outline.moc"
