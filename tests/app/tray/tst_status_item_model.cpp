// The status item's model: its title, tooltip and label for each forecast and setting, its sizes, and what
// tray clicks do.
#include "StatusItemModel.h"
#include "StatusNotifierHosts.h"
#include "StatusTestData.h"
#include "TrayClickFilter.h"
#include "TrayIconPainter.h"

#include <QTest>

using namespace nimbra;

namespace {

using apptest::forecastWith;

using OptionalForecast = std::optional<ConsensusForecast>;

} // namespace

class TestStatusItemModel : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void statusModel_data() {
        QTest::addColumn<OptionalForecast>("forecast");
        QTest::addColumn<bool>("condition");
        QTest::addColumn<bool>("confidence");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("symbol");
        QTest::addColumn<QString>("iconText");
        QTest::addColumn<QString>("tooltip");
        const auto rainy =
            forecastWith(22, WeatherCondition::rain, QStringLiteral("Rain likely around 3 PM."));
        QTest::newRow("no forecast") << OptionalForecast() << true << false << "Weather --°"
                                     << "cloud.sun"
                                     << "--°"
                                     << "Nimbra";
        auto noCurrent = rainy;
        noCurrent.current.reset();
        QTest::newRow("no current weather") << OptionalForecast(noCurrent) << true << false << "Weather --°"
                                            << "cloud.sun"
                                            << "--°"
                                            << "Weather --°\nRain likely around 3 PM.";
        QTest::newRow("condition shown") << OptionalForecast(rainy) << true << false << "72° Rain"
                                         << conditions::symbolName(WeatherCondition::rain) << "72°"
                                         << "72° Rain\nRain likely around 3 PM.";
        QTest::newRow("confidence only") << OptionalForecast(rainy) << false << true << "72° 83%"
                                         << conditions::symbolName(WeatherCondition::rain) << "72°"
                                         << "72° 83%\nRain likely around 3 PM.";
        QTest::newRow("no summary") << OptionalForecast(forecastWith(-12, WeatherCondition::snow, QString()))
                                    << false << false << "10°"
                                    << conditions::symbolName(WeatherCondition::snow) << "10°"
                                    << "10°";
    }
    void statusModel() {
        QFETCH(OptionalForecast, forecast);
        QFETCH(bool, condition);
        QFETCH(bool, confidence);
        WeatherSettings settings;
        settings.showConditionInMenuBar = condition;
        settings.showConfidenceInMenuBar = confidence;
        const StatusItemModel m = statusItemModel(forecast, settings);
        QTEST(m.title, "title");
        QTEST(m.symbolName, "symbol");
        QTEST(m.iconText, "iconText");
        QTEST(m.tooltip, "tooltip");
        // Whatever it shows, the drawn icon has pixels at the size panels use.
        const QImage icon = TrayIconPainter::image(m, 22);
        QCOMPARE(icon.size(), QSize(22, 22));
        bool readingDrawn = false;
        // Below and right of the condition, which takes the upper left 60 %.
        for (int y = 14; y < 22; ++y)
            for (int x = 14; x < 22; ++x)
                readingDrawn = readingDrawn || icon.pixelColor(x, y).alpha() > 0;
        QVERIFY(readingDrawn);
    }

    void statusSizes_data() {
        QTest::addColumn<double>("font");
        QTest::addColumn<double>("icon");
        QTest::addColumn<double>("clampedFont");
        QTest::addColumn<double>("clampedIcon");
        QTest::newRow("defaults") << 12.0 << 16.0 << 12.0 << 16.0;
        QTest::newRow("small") << 9.0 << 4.0 << 10.0 << 12.0;
        QTest::newRow("large") << 20.0 << 30.0 << 16.0 << 22.0;
        QTest::newRow("not numbers") << qQNaN() << qQNaN() << 10.0 << 12.0;
    }
    void statusSizes() {
        QFETCH(double, font);
        QFETCH(double, icon);
        WeatherSettings settings;
        settings.menuBarFontSize = font;
        settings.menuBarIconSize = icon;
        const StatusItemModel m = statusItemModel(std::nullopt, settings);
        QTEST(m.fontSize, "clampedFont");
        QTEST(m.iconSize, "clampedIcon");
    }

    void statusLength_data() {
        QTest::addColumn<double>("icon");
        QTest::addColumn<bool>("image");
        QTest::addColumn<double>("titleWidth");
        QTest::addColumn<double>("length");
        QTest::newRow("icon 14, short title") << 14.0 << true << 5.0 << 34.0;
        QTest::newRow("icon 20, short title") << 20.0 << true << 5.0 << 38.0;
        QTest::newRow("wanted rounds up") << 16.0 << true << 40.2 << 61.0;
        QTest::newRow("no image") << 16.0 << false << 40.0 << 48.0;
        QTest::newRow("long title is cut") << 16.0 << true << 900.0 << 180.0;
    }
    void statusLength() {
        QFETCH(double, icon);
        QFETCH(bool, image);
        QFETCH(double, titleWidth);
        QTEST(statusItemLength(icon, image, titleWidth), "length");
    }

    void trayClicks_data() {
        using Click = TrayClickFilter::Click;
        using Action = TrayClickFilter::Action;
        using Ms = std::optional<qint64>;
        QTest::addColumn<Click>("click");
        QTest::addColumn<bool>("shown");
        QTest::addColumn<Ms>("sinceShown");
        QTest::addColumn<Ms>("sinceHidden");
        QTest::addColumn<Action>("action");
        QTest::newRow("first click opens") << Click::primary << false << Ms() << Ms() << Action::open;
        QTest::newRow("click on open popover closes")
            << Click::primary << true << Ms(5000) << Ms() << Action::close;
        QTest::newRow("double click's second press")
            << Click::primary << true << Ms(150) << Ms() << Action::ignore;
        QTest::newRow("double click report")
            << Click::doubleClick << true << Ms(150) << Ms() << Action::ignore;
        QTest::newRow("click that closed it outside")
            << Click::primary << false << Ms(9000) << Ms(40) << Action::ignore;
        QTest::newRow("later click reopens")
            << Click::primary << false << Ms(9000) << Ms(2000) << Action::open;
        QTest::newRow("right click never toggles")
            << Click::context << false << Ms() << Ms() << Action::ignore;
        QTest::newRow("right click on open popover")
            << Click::context << true << Ms(5000) << Ms() << Action::ignore;
        QTest::newRow("middle click") << Click::middle << false << Ms() << Ms() << Action::ignore;
    }
    void trayClicks() {
        QFETCH(TrayClickFilter::Click, click);
        QFETCH(bool, shown);
        QFETCH(std::optional<qint64>, sinceShown);
        QFETCH(std::optional<qint64>, sinceHidden);
        QTEST(TrayClickFilter::action(click, shown, sinceShown, sinceHidden, 400), "action");
    }

    // Where a panel clicked, on the screen: MATE's panel reports its applet's own coordinates.
    void clickPoints_data() {
        QTest::addColumn<QPoint>("reported");
        QTest::addColumn<QPoint>("pointer");
        QTest::addColumn<std::optional<QPoint>>("point");
        QTest::newRow("at the pointer")
            << QPoint(1180, 12) << QPoint(1184, 14) << std::optional(QPoint(1180, 12));
        QTest::newRow("a popup's corner near the icon")
            << QPoint(1100, 740) << QPoint(1170, 770) << std::optional(QPoint(1100, 740));
        QTest::newRow("the applet's own coordinates")
            << QPoint(0, 25) << QPoint(1014, 12) << std::optional(QPoint(1014, 12));
        QTest::newRow("unknown") << QPoint(0, 0) << QPoint(1014, 12) << std::optional<QPoint>();
    }
    void clickPoints() {
        QFETCH(QPoint, reported);
        QFETCH(QPoint, pointer);
        QTEST(TrayClickFilter::clickPoint(reported, pointer), "point");
    }

    // Whether a panel draws the watcher's items. Columns: the watcher's IsStatusNotifierHostRegistered (-1
    // unread), whether it outlives its panel (KDE's kded), host names seen earlier and on the bus now.
    void itemsDrawn_data() {
        QTest::addColumn<int>("registered");
        QTest::addColumn<bool>("outlives");
        QTest::addColumn<int>("seen");
        QTest::addColumn<int>("now");
        QTest::addColumn<bool>("drawn");
        QTest::newRow("a panel that is its own watcher") << -1 << false << 0 << 0 << true;
        QTest::newRow("it says so") << 1 << false << 0 << 0 << true;
        QTest::newRow("Cinnamon's watcher without its panel") << 0 << false << 0 << 0 << false;
        QTest::newRow("Cinnamon's panel back") << 1 << false << 0 << 1 << true;
        QTest::newRow("kded, no panel yet") << 1 << true << 0 << 0 << false;
        QTest::newRow("kded, plasmashell's host name") << 1 << true << 0 << 1 << true;
        QTest::newRow("a watcher whose panel's host name left") << 1 << false << 1 << 0 << false;
    }
    void itemsDrawn() {
        QFETCH(int, registered);
        QFETCH(bool, outlives);
        QFETCH(int, seen);
        QFETCH(int, now);
        StatusNotifierHosts hosts;
        hosts.watcherChanged(true, outlives, seen);
        if (registered >= 0)
            hosts.hostRegistered = registered == 1;
        hosts.hostNamesChanged(now);
        QTEST(hosts.itemsDrawn(), "drawn");
        // Without a watcher nothing draws, and a new watcher forgets what was seen of the last.
        hosts.watcherChanged(false, outlives, now);
        QVERIFY(!hosts.itemsDrawn());
        QVERIFY(StatusNotifierHosts::isHostName(QStringLiteral("org.kde.StatusNotifierHost-4242")));
        QVERIFY(!StatusNotifierHosts::isHostName(QStringLiteral("org.kde.StatusNotifierHostile")));
    }
};

QTEST_MAIN(TestStatusItemModel)
#include "tst_status_item_model.moc"
