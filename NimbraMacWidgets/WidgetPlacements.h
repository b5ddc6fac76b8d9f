#pragma once

#include "WidgetKitLayer.h"

#include <QList>
#include <QPoint>
#include <QString>

#include <optional>

namespace nimbra {

// One widget on the desktop: which, how large and where (top-left corner, in screen coordinates).
struct WidgetPlacement {
    QString kind;
    WidgetFamily family = WidgetFamily::systemMedium;
    QPoint position;

    bool operator==(const WidgetPlacement&) const = default;
};

// The host's own record of the placed widgets, in an INI file of its own: it is the desktop's state, not the
// application's, and the application never reads it.
class WidgetPlacements {
public:
    // $XDG_CONFIG_HOME/Nimbra/widgets.conf
    static QString defaultFilePath();
    // What a first start shows: one current-conditions widget.
    static WidgetPlacement firstPlacement(QPoint position);

    // More widgets than anyone places; a file listing more (hand-edited or damaged) shows only the first.
    static constexpr int maximumCount = 64;

    explicit WidgetPlacements(QString filePath = defaultFilePath());

    const QString& filePath() const { return m_filePath; }

    // The saved placements in the order they were added. A kind the host does not know is left out and a size
    // the kind does not come in becomes its first. Before anything was ever saved: the first placement at
    // `firstPosition`. A list the user emptied stays empty. At most `maximumCount`, each position within the
    // coordinates a screen can have.
    QList<WidgetPlacement> load(QPoint firstPosition) const;
    // The reason when the file cannot be written.
    std::optional<QString> save(const QList<WidgetPlacement>& placements) const;

private:
    QString m_filePath;
};

std::optional<WidgetFamily> widgetFamilyFromName(const QString& name);

} // namespace nimbra
