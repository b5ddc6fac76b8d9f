#pragma once

#include "WeatherWidgetProvider.h"
#include "WidgetKitLayer.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <functional>

namespace nimbra {

// Builds a widget's root view for one entry in one size.
using WidgetRootView =
    std::function<QWidget*(const WeatherWidgetEntry& entry, WidgetFamily family, QWidget* parent)>;

// One widget the host offers: the kind the application reloads it by, its texts, its sizes and its view.
struct WidgetDescriptor {
    QString kind;
    QString displayName;
    QString description;
    // In the order the size menu lists them.
    QList<WidgetFamily> families;
    WidgetRootView rootView;

    bool supports(WidgetFamily family) const { return families.contains(family); }
};

// The widgets the host offers.
struct NimbraWidgetBundle {
    // The three widgets, in the order current, hourly, ten-day.
    static const QList<WidgetDescriptor>& widgets();
    // Null for a kind the host does not know (a placement written by another version).
    static const WidgetDescriptor* widget(const QString& kind);
    static QStringList kinds();
};

} // namespace nimbra
