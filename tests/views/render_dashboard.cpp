// nimbra-render-dashboard: renders the popover's dashboard column from the fixture forecast to a PNG, for a
// person to look at the shared views without running the application.
//
//   nimbra-render-dashboard [--out FILE] [--width PX] [--height PX] [--celsius] [--metric NAME]
//                           [--expand N] [--alert] [--dark]
//
// Without --height the whole column is rendered; with it, the popover's viewport (and its scroll bar).

#include "DashboardPreview.h"
#include "ViewAnimations.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QPalette>
#include <QStyleFactory>

#include <cstdio>

using namespace nimbra;

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QCommandLineParser parser;
    parser.addHelpOption();
    const QCommandLineOption out(QStringLiteral("out"), QStringLiteral("PNG file to write."),
                                 QStringLiteral("file"), QStringLiteral("nimbra-dashboard.png"));
    const QCommandLineOption width(QStringLiteral("width"), QStringLiteral("Popover width."),
                                   QStringLiteral("px"), QStringLiteral("390"));
    const QCommandLineOption height(QStringLiteral("height"), QStringLiteral("Popover height."),
                                    QStringLiteral("px"));
    const QCommandLineOption celsius(QStringLiteral("celsius"), QStringLiteral("Celsius and km/h."));
    const QCommandLineOption metric(QStringLiteral("metric"), QStringLiteral("Trend metric."),
                                    QStringLiteral("name"), QStringLiteral("temperature"));
    const QCommandLineOption expand(QStringLiteral("expand"), QStringLiteral("Expand the Nth day (0-based)."),
                                    QStringLiteral("n"));
    const QCommandLineOption alert(QStringLiteral("alert"), QStringLiteral("Add the sample alert."));
    const QCommandLineOption dark(QStringLiteral("dark"), QStringLiteral("Dark palette."));
    parser.addOptions({out, width, height, celsius, metric, expand, alert, dark});
    parser.process(app);

    animations::setEnabled(false);
    if (parser.isSet(dark)) {
        QPalette p;
        p.setColor(QPalette::Window, QColor(40, 40, 44));
        p.setColor(QPalette::WindowText, Qt::white);
        p.setColor(QPalette::Base, QColor(30, 30, 32));
        p.setColor(QPalette::Text, Qt::white);
        QApplication::setPalette(p);
    }

    const QDateTime now = preview::fixedNow();
    const LocalCalendar calendar = preview::utcCalendar();
    WeatherSettings settings;
    if (parser.isSet(celsius)) {
        settings.temperatureUnit = TemperatureUnit::celsius;
        settings.windSpeedUnit = WindSpeedUnit::kilometersPerHour;
    }
    const auto forecast = preview::fixtureForecast(now, calendar, parser.isSet(alert));
    preview::DashboardColumn d = preview::dashboardColumn(forecast, settings, now, calendar);
    if (const auto m = fromRawValue<TrendMetric>(parser.value(metric)); m && d.trend)
        d.trend->setSelectedMetric(*m);
    if (parser.isSet(expand) && d.daily) {
        const int n = parser.value(expand).toInt();
        if (n >= 0 && n < d.daily->model().rows.size())
            d.daily->toggle(d.daily->model().rows[n].date);
    }

    const int w = parser.value(width).toInt();
    QWidget* target = d.scroll;
    if (parser.isSet(height)) {
        d.scroll->resize(w, parser.value(height).toInt());
    } else {
        d.scroll->resize(w, 400);
        d.column->setFixedWidth(w);
        d.column->adjustSize();
        d.column->resize(w, d.column->heightForWidth(w) > 0 ? d.column->heightForWidth(w)
                                                            : d.column->sizeHint().height());
        target = d.column;
    }
    d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
    d.scroll->show();
    preview::settle();
    const QPixmap pixmap = target->grab();
    if (!pixmap.save(parser.value(out))) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(parser.value(out)));
        return 1;
    }
    std::printf("%s %dx%d\n", qPrintable(parser.value(out)), pixmap.width(), pixmap.height());
    return 0;
}
