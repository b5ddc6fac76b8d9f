// The status item's model: its title, tooltip and label for each forecast and setting, its sizes, and what
// tray clicks do.
#include "StatusItemModel.h"
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
};

QTEST_MAIN(TestStatusItemModel)
#include "tst_status_item_model.moc"
