// The status item's model, the popover's size, place and edge, the resize handle's deltas and what tray
// clicks do.
#include "DashboardResizeHandle.h"
#include "PopoverSizing.h"
#include "PopoverWindow.h"
#include "StatusItemModel.h"
#include "StatusTestData.h"
#include "TrayClickFilter.h"
#include "TrayIconPainter.h"
#include "TurnSteps.h"
#include "UserDefaults.h"

#include <QTest>
#include <QThread>
#include <QTimer>

using namespace nimbra;

namespace {

using apptest::forecastWith;

using OptionalForecast = std::optional<ConsensusForecast>;
using OptionalRect = std::optional<QRect>;

} // namespace

class TestStatusAndPopover : public QObject {
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

    void savedAndClampedSize_data() {
        QTest::addColumn<QVariant>("width");
        QTest::addColumn<QVariant>("height");
        QTest::addColumn<OptionalRect>("screen");
        QTest::addColumn<QSize>("size");
        const OptionalRect big(QRect(0, 0, 1920, 1080));
        QTest::newRow("nothing saved") << QVariant() << QVariant() << big << QSize(390, 610);
        QTest::newRow("saved") << QVariant(500.0) << QVariant(700.0) << big << QSize(500, 700);
        QTest::newRow("width below minimum drops both")
            << QVariant(359.0) << QVariant(800.0) << big << QSize(390, 610);
        QTest::newRow("height below minimum") << QVariant(500.0) << QVariant(419.0) << big << QSize(390, 610);
        QTest::newRow("fraction rounds up") << QVariant(400.2) << QVariant(610.0) << big << QSize(401, 610);
        QTest::newRow("text that is not a number")
            << QVariant("wide") << QVariant(610.0) << big << QSize(390, 610);
        QTest::newRow("1280x800 screen") << QVariant(5000.0) << QVariant(5000.0)
                                         << OptionalRect(QRect(0, 0, 1280, 800)) << QSize(760, 720);
        QTest::newRow("400x300 screen")
            << QVariant(5000.0) << QVariant(5000.0) << OptionalRect(QRect(0, 0, 400, 300)) << QSize(360, 420);
        QTest::newRow("no screen") << QVariant(1e300) << QVariant(1e300) << OptionalRect() << QSize(760, 720);
    }
    void savedAndClampedSize() {
        QFETCH(QVariant, width);
        QFETCH(QVariant, height);
        QFETCH(OptionalRect, screen);
        InMemoryUserDefaults defaults;
        if (width.isValid())
            defaults.setValue(QStringLiteral("nimbraPopoverWidth"), width);
        if (height.isValid())
            defaults.setValue(QStringLiteral("nimbraPopoverHeight"), height);
        const QSize size = PopoverSizing::initialSize(defaults, screen);
        QTEST(size, "size");
        // What is saved reads back as the same size.
        PopoverSizing::saveSize(defaults, size);
        QCOMPARE(PopoverSizing::initialSize(defaults, screen), size);
    }

    void placement_data() {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QPoint>("topLeft");
        const QRect screen(0, 0, 1280, 800);
        Q_UNUSED(screen);
        QTest::newRow("top panel, centred below the icon") << QRect(600, 0, 24, 24) << QPoint(416, 24);
        QTest::newRow("top-right corner, kept on screen") << QRect(1250, 0, 24, 24) << QPoint(890, 24);
        QTest::newRow("bottom panel, above the icon") << QRect(600, 776, 24, 24) << QPoint(416, 166);
        QTest::newRow("bottom-left corner") << QRect(0, 776, 24, 24) << QPoint(0, 166);
    }
    void placement() {
        QFETCH(QRect, anchor);
        const QPoint p = PopoverSizing::placement(anchor, QSize(390, 610), QRect(0, 0, 1280, 800));
        QTEST(p, "topLeft");
        QVERIFY(QRect(0, 0, 1280, 800).contains(QRect(p, QSize(390, 610))));
    }

    void handleDeltas() {
        ResizeDragTracker tracker;
        QCOMPARE(tracker.change({10, 0}), QSizeF(10, 0));
        QCOMPARE(tracker.change({25, 5}), QSizeF(15, 5));
        QCOMPARE(tracker.change({25, 5}), QSizeF(0, 0));
        tracker.end();
        // A new drag starts from zero.
        QCOMPARE(tracker.change({3, 4}), QSizeF(3, 4));

        QList<QSizeF> reports;
        int started = 0, finished = 0;
        DashboardResizeHandle handle([&](QSizeF d) { reports.append(d); });
        connect(&handle, &DashboardResizeHandle::dragStarted, this, [&] { ++started; });
        connect(&handle, &DashboardResizeHandle::dragFinished, this, [&] { ++finished; });
        handle.pressAt({100, 100});
        handle.moveTo({100.5, 100.5}); // under a point: still a click
        handle.release();
        QVERIFY(reports.isEmpty());
        QCOMPARE(started + finished, 0);
        handle.pressAt({100, 100});
        for (const QPointF p : {QPointF(101, 100), QPointF(107.5, 103), QPointF(90, 120)})
            handle.moveTo(p);
        handle.release();
        QCOMPARE(reports.size(), 3);
        QSizeF sum(0, 0);
        for (const QSizeF& d : reports)
            sum += d;
        QCOMPARE(sum, QSizeF(-10, 20)); // the deltas add up to the final translation
        QCOMPARE(started, 1);
        QCOMPARE(finished, 1);
        const QPainterPath grip = resizeGripMark(QRectF(0, 0, 20, 20));
        QCOMPARE(grip.elementCount(), 4);
        QCOMPARE(QPointF(grip.elementAt(0)), QPointF(6.8, 16));
        QCOMPARE(QPointF(grip.elementAt(1)), QPointF(16, 6.8));
        QCOMPARE(QPointF(grip.elementAt(3)), QPointF(16, 12));
    }

    void resizeDoesNotDrift() {
        const OptionalRect screen(QRect(0, 0, 1920, 1080));
        PopoverResize resize;
        QVERIFY(!resize.apply({10, 10}, screen));
        resize.begin({400, 600});
        // Fractional steps (fractional scaling) would each round up if applied to the last size.
        std::optional<QSize> size;
        for (int i = 0; i < 10; ++i)
            size = resize.apply({-0.4, 0.3}, screen);
        QCOMPARE(*size, QSize(396, 603));
        // Beyond the minimum and back: the edge follows the pointer, not the clamped size.
        size = resize.apply({-100, 0}, screen);
        QCOMPARE(size->width(), 360);
        size = resize.apply({100, 0}, screen);
        QCOMPARE(size->width(), 396);
        resize.end();
        QVERIFY(!resize.isActive());
    }

    // The content is transparent and the window fills the one background; a popup draws a 1 px edge in the
    // palette's Mid over it, a window none.
    void popupEdgeAndBackground() {
        for (const auto mode : {PopoverWindow::Mode::popup, PopoverWindow::Mode::window}) {
            PopoverWindow window(mode);
            QPalette palette = window.palette();
            palette.setColor(QPalette::Window, Qt::white);
            palette.setColor(QPalette::Mid, Qt::red);
            window.setPalette(palette);
            window.setContent(new QWidget);
            window.resize(120, 80);
            const QImage image = window.grab().toImage();
            const QColor edge = mode == PopoverWindow::Mode::popup ? QColor(Qt::red) : QColor(Qt::white);
            for (const QPoint p :
                 {QPoint(0, 0), QPoint(60, 0), QPoint(119, 40), QPoint(60, 79), QPoint(0, 79)})
                QCOMPARE(image.pixelColor(p), edge);
            for (const QPoint p : {QPoint(1, 1), QPoint(60, 40), QPoint(118, 78)})
                QCOMPARE(image.pixelColor(p), QColor(Qt::white));
        }
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

    // Steps in order, then the last action once; with no budget one step a turn, with one as many as fit;
    // cancelled, nothing more runs; a step may start the run again.
    void turnSteps() {
        using std::chrono::milliseconds;
        TurnSteps steps(milliseconds(0));
        QStringList ran;
        const auto step = [&ran](const QString& name) { return [&ran, name] { ran.append(name); }; };
        steps.start({step("a"), step("b")}, step("done"));
        QVERIFY(steps.isRunning());
        QVERIFY(ran.isEmpty());
        QCoreApplication::processEvents();
        QCOMPARE(ran, QStringList{"a"});
        QVERIFY(steps.isRunning());
        // The last action in the last step's turn.
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "done"}));
        QVERIFY(!steps.isRunning());
        QTest::qWait(20);
        QCOMPARE(ran.size(), 3);

        ran.clear();
        steps.start({step("a"), step("b")}, step("done"));
        QCoreApplication::processEvents();
        steps.cancel();
        QTest::qWait(20);
        QCOMPARE(ran, QStringList{"a"});

        ran.clear();
        steps.start({[&] { steps.start({step("again")}, step("done")); }, step("dropped")}, step("not run"));
        QTRY_VERIFY(!steps.isRunning());
        QCOMPARE(ran, (QStringList{"again", "done"}));

        TurnSteps budgeted(milliseconds(30));
        ran.clear();
        const auto slow = [&ran](const QString& name) {
            return [&ran, name] {
                QThread::msleep(20);
                ran.append(name);
            };
        };
        budgeted.start({step("a"), step("b"), slow("c"), slow("d"), step("e")}, step("done"));
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d"}));
        QTRY_VERIFY(!budgeted.isRunning());
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d", "e", "done"}));

        // A break ends a turn however much of it is left, and is passed over at a turn's start.
        ran.clear();
        budgeted.start({TurnSteps::nextTurn(), step("a"), TurnSteps::nextTurn(), step("b"),
                        TurnSteps::nextTurn(), TurnSteps::nextTurn(), step("c"), step("d")},
                       step("done"));
        QCoreApplication::processEvents();
        QCOMPARE(ran, QStringList{"a"});
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b"}));
        QCoreApplication::processEvents();
        QCOMPARE(ran, (QStringList{"a", "b", "c", "d", "done"}));
    }

    void turnStepsLetOtherTimersRun() {
        // Between two turns the application's other timers run, even when each turn takes longer than their
        // interval: a zero timer set again from when its turn began would always be due first.
        TurnSteps steps(std::chrono::milliseconds(0));
        QStringList ran;
        QTimer tick;
        tick.setTimerType(Qt::PreciseTimer);
        tick.setInterval(1);
        QObject::connect(&tick, &QTimer::timeout, [&ran] {
            if (ran.isEmpty() || ran.last() != "tick")
                ran.append("tick");
        });
        const auto slow = [&ran](const QString& name) {
            return [&ran, name] {
                QThread::msleep(5);
                ran.append(name);
            };
        };
        tick.start();
        steps.start({slow("a"), slow("b"), slow("c")}, [&ran] { ran.append("done"); });
        QTRY_VERIFY(!steps.isRunning());
        tick.stop();
        ran.removeAll("done");
        const qsizetype a = ran.indexOf("a");
        QVERIFY(a >= 0);
        QCOMPARE(ran.mid(a, 5), (QStringList{"a", "tick", "b", "tick", "c"}));
    }
};

QTEST_MAIN(TestStatusAndPopover)
#include "tst_status_and_popover.moc"
