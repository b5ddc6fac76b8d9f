#include "ApplicationIcon.h"

#include "BuildInfo.h"

namespace nimbra {

QIcon applicationIcon() {
    return QIcon::fromTheme(BuildInfo::applicationIdentifier(),
                            QIcon(QStringLiteral(":/icons/hicolor/scalable/apps/com.tarnwick.Nimbra.svg")));
}

} // namespace nimbra
