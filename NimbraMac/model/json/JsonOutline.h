#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>

#include <optional>

namespace nimbra {

// Where a part of a JSON text lies: bytes [begin, end).
struct JsonSpan {
    qsizetype begin = 0;
    qsizetype end = 0;

    qsizetype size() const { return end - begin; }
    QByteArrayView in(QByteArrayView text) const { return text.sliced(begin, size()); }
    bool operator==(const JsonSpan&) const = default;
};

// One member of the top-level object: its key as written (without the quotes), where its value lies and,
// when the value is an array, where each of its elements lies.
struct JsonMember {
    QByteArray key;
    JsonSpan value;
    QList<JsonSpan> elements;

    bool operator==(const JsonMember&) const = default;
};

// The members of a JSON document's top-level object, found in one pass over the bytes without building a
// tree: a large document can then be decoded in parts, the small ones first. The pass checks the whole
// text and is stricter than Qt's parser (any doubt refuses), so that a text it accepts Qt accepts too, part
// by part; for anything it refuses the caller parses the whole text as usual and meets the real error there.
// Refused as well: a top level that is not an object, a key written with escapes, and a key that occurs
// twice.
class JsonOutline {
public:
    static std::optional<JsonOutline> of(QByteArrayView text);

    const QList<JsonMember>& members() const { return m_members; }
    const JsonMember* member(QByteArrayView key) const;

private:
    QList<JsonMember> m_members;
};

} // namespace nimbra
