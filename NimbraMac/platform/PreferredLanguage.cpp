#include "PreferredLanguage.h"

namespace nimbra {

QString preferredLanguageCode(const QLocale& locale) {
    const QLocale::Language language = locale.language();
    // Qt names the C locale's language "C", which no web service understands.
    if (language == QLocale::C || language == QLocale::AnyLanguage)
        return QStringLiteral("en");
    const QString code = QLocale::languageToCode(language);
    return code.isEmpty() || code == u"und" ? QStringLiteral("en") : code;
}

} // namespace nimbra
