#pragma once

#include <QLocale>
#include <QString>

namespace nimbra {

// The bare language code of a locale ("de" for de_DE), for services that answer in the user's language. The C
// locale and a locale without a language give "en".
QString preferredLanguageCode(const QLocale& locale = QLocale());

} // namespace nimbra
