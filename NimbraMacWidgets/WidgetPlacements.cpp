#include "WidgetPlacements.h"

#include "NimbraWidgetBundle.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSettings>
#include <QStandardPaths>

#include <algorithm>

namespace nimbra {
namespace {

Q_LOGGING_CATEGORY(placementsLog, NIMBRA_APP_IDENTIFIER ".Widgets")

const QString arrayKey = QStringLiteral("placements");
const QString kindKey = QStringLiteral("kind");
const QString familyKey = QStringLiteral("family");
const QString xKey = QStringLiteral("x");
const QString yKey = QStringLiteral("y");

// X11 window positions are 16-bit: a stored value beyond that is on no screen, and bringing it into this
// range keeps the host's geometry arithmetic (a rectangle's centre) from overflowing. A position on a screen
// that is merely unplugged stays as it was.
constexpr int coordinateLimit = 32767;

int screenCoordinate(const QVariant& value) {
    return std::clamp(value.toInt(), -coordinateLimit - 1, coordinateLimit);
}

// Whether QSettings finds the file malformed. It parses a section when a key of it is first asked for, and
// only then reports a format error.
bool unparsable(const QString& filePath) {
    QSettings settings(filePath, QSettings::IniFormat);
    settings.allKeys();
    return settings.status() == QSettings::FormatError;
}

} // namespace

std::optional<WidgetFamily> widgetFamilyFromName(const QString& name) {
    for (const WidgetFamily family :
         {WidgetFamily::systemSmall, WidgetFamily::systemMedium, WidgetFamily::systemLarge}) {
        if (widgetFamilyName(family) == name)
            return family;
    }
    return std::nullopt;
}

QString WidgetPlacements::defaultFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/Nimbra/widgets.conf");
}

WidgetPlacement WidgetPlacements::firstPlacement(QPoint position) {
    return {QStringLiteral("NimbraCurrentWidget"), WidgetFamily::systemMedium, position};
}

WidgetPlacements::WidgetPlacements(QString filePath) : m_filePath(std::move(filePath)) {}

QList<WidgetPlacement> WidgetPlacements::load(QPoint firstPosition) const {
    QSettings settings(m_filePath, QSettings::IniFormat);
    // The array's size is written even for an empty list, which tells a first start from an emptied desktop.
    if (!settings.contains(arrayKey + QStringLiteral("/size")))
        return {firstPlacement(firstPosition)};
    QList<WidgetPlacement> placements;
    int count = settings.beginReadArray(arrayKey);
    if (count > maximumCount) {
        qCWarning(placementsLog, "%s lists %d widgets; only the first %d are shown.",
                  qUtf8Printable(QFileInfo(m_filePath).fileName()), count, maximumCount);
        count = maximumCount;
    }
    for (int i = 0; i < count; ++i) {
        settings.setArrayIndex(i);
        const WidgetDescriptor* descriptor = NimbraWidgetBundle::widget(settings.value(kindKey).toString());
        if (!descriptor)
            continue;
        WidgetFamily family = widgetFamilyFromName(settings.value(familyKey).toString())
                                  .value_or(descriptor->families.constFirst());
        if (!descriptor->supports(family))
            family = descriptor->families.constFirst();
        placements.append(
            {descriptor->kind, family,
             QPoint(screenCoordinate(settings.value(xKey)), screenCoordinate(settings.value(yKey)))});
    }
    settings.endArray();
    return placements;
}

std::optional<QString> WidgetPlacements::save(const QList<WidgetPlacement>& placements) const {
    // A file QSettings cannot parse goes first: the settings would keep its format error through the write,
    // which then looked failed.
    if (unparsable(m_filePath))
        QFile::remove(m_filePath);
    QSettings settings(m_filePath, QSettings::IniFormat);
    // The file holds the placements alone; keys that damage or an edit left in it are not kept.
    settings.clear();
    settings.beginWriteArray(arrayKey, int(placements.size()));
    for (int i = 0; i < placements.size(); ++i) {
        settings.setArrayIndex(i);
        settings.setValue(kindKey, placements[i].kind);
        settings.setValue(familyKey, widgetFamilyName(placements[i].family));
        settings.setValue(xKey, placements[i].position.x());
        settings.setValue(yKey, placements[i].position.y());
    }
    settings.endArray();
    settings.sync();
    if (settings.status() != QSettings::NoError)
        return QCoreApplication::translate("WidgetPlacements", "The widget layout could not be saved to %1.")
            .arg(m_filePath);
    return std::nullopt;
}

} // namespace nimbra
