#include "JsonOutline.h"

#include "JsonStrictReader.h"

namespace nimbra {

std::optional<JsonOutline> JsonOutline::of(QByteArrayView text) {
    json::StrictReader reader(text);
    JsonOutline outline;
    reader.skipSpace();
    if (!reader.take('{'))
        return std::nullopt;
    reader.skipSpace();
    if (!reader.take('}')) {
        for (;;) {
            reader.skipSpace();
            const qsizetype keyBegin = reader.offset();
            bool plain = false;
            if (!reader.string(&plain) || !plain)
                return std::nullopt;
            JsonMember member;
            member.key = text.sliced(keyBegin + 1, reader.offset() - keyBegin - 2).toByteArray();
            if (outline.member(member.key))
                return std::nullopt;
            reader.skipSpace();
            if (!reader.take(':'))
                return std::nullopt;
            reader.skipSpace();
            member.value.begin = reader.offset();
            const bool read = reader.peek('[') ? reader.array(1, &member.elements) : reader.value(1);
            if (!read)
                return std::nullopt;
            member.value.end = reader.offset();
            outline.m_members.append(std::move(member));
            reader.skipSpace();
            if (reader.take('}'))
                break;
            if (!reader.take(','))
                return std::nullopt;
        }
    }
    reader.skipSpace();
    if (!reader.atEnd())
        return std::nullopt;
    return outline;
}

const JsonMember* JsonOutline::member(QByteArrayView key) const {
    for (const JsonMember& m : m_members) {
        if (m.key == key)
            return &m;
    }
    return nullptr;
}

} // namespace nimbra
