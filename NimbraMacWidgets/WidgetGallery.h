#pragma once

#include "WeatherWidgetProvider.h"
#include "WidgetKitLayer.h"

#include <QDialog>

namespace nimbra {

// Offers the three widgets, each previewed with the placeholder entry, with one button per size it comes in.
class WidgetGallery : public QDialog {
    Q_OBJECT
public:
    explicit WidgetGallery(const WeatherWidgetEntry& preview, QWidget* parent = nullptr);

Q_SIGNALS:
    void chosen(const QString& kind, WidgetFamily family);
};

} // namespace nimbra
