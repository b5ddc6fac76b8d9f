// The popover's size, place and edge, the resize handle's deltas, and the window that stands in for an
// absent tray.
#include "DashboardResizeHandle.h"
#include "PopoverSizing.h"
#include "PopoverWindow.h"
#include "TrayAbsence.h"
#include "UserDefaults.h"

#include <QSignalSpy>
#include <QTest>
#include <QWidget>

using namespace nimbra;

namespace {

using OptionalRect = std::optional<QRect>;

} // namespace

class TestPopover : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QPoint>("topLeft");
        const QRect screen(0, 0, 1280, 800);
        const QRect belowTopBar(0, 32, 1280, 768);
        const QRect aboveBottomPanel(0, 0, 1280, 760);
        QTest::newRow("top panel, centred below the icon")
            << QRect(600, 0, 24, 24) << screen << QPoint(416, 24);
        QTest::newRow("top-right corner, kept on screen")
            << QRect(1250, 0, 24, 24) << screen << QPoint(890, 24);
        QTest::newRow("bottom panel, above the icon")
            << QRect(600, 776, 24, 24) << screen << QPoint(416, 166);
        QTest::newRow("bottom-left corner") << QRect(0, 776, 24, 24) << screen << QPoint(0, 166);
        // The pointer on the item's menu entry, below the bar: the popover still hangs from the bar.
        QTest::newRow("menu entry below a top bar") << QRect(700, 68, 1, 1) << belowTopBar << QPoint(505, 32);
        QTest::newRow("menu entry above a bottom panel")
            << QRect(700, 700, 1, 1) << aboveBottomPanel << QPoint(505, 150);
        QTest::newRow("pointer near a top edge no panel keeps")
            << QRect(700, 40, 1, 1) << screen << QPoint(505, 41);
        QTest::newRow("pointer in the middle of the screen")
            << QRect(700, 300, 1, 1) << belowTopBar << QPoint(505, 190);
    }
    void placement() {
        QFETCH(QRect, anchor);
        QFETCH(QRect, area);
        const QPoint p = PopoverSizing::placement(anchor, QSize(390, 610), area, QRect(0, 0, 1280, 800));
        QTEST(p, "topLeft");
        QVERIFY(area.contains(QRect(p, QSize(390, 610))));
    }

    // The lock screen and a shell restart take the tray away for a moment; a panel that ended, for good.
    void windowInPlaceOfAnAbsentTray() {
        using namespace std::chrono_literals;
        TrayAbsence absence(150ms);
        QSignalSpy show(&absence, &TrayAbsence::showInstead);
        QSignalSpy back(&absence, &TrayAbsence::returnToTray);
        QWidget window;
        window.show();

        // Back within the grace: nothing shows, nothing goes.
        absence.setAvailable(false);
        QTest::qWait(50);
        absence.setAvailable(true);
        QTest::qWait(250);
        QCOMPARE(show.size(), 0);
        QCOMPARE(back.size(), 0);

        // Away past the grace: the window shows; back: an unused window goes back to the tray.
        absence.setAvailable(false);
        QTRY_COMPARE(show.size(), 1);
        absence.shownInstead(&window);
        absence.setAvailable(true);
        QCOMPARE(back.size(), 1);

        // One the user typed in or clicked stays, and so does one the user asked for.
        absence.setAvailable(false);
        QTRY_COMPARE(show.size(), 2);
        absence.shownInstead(&window);
        QTest::keyClick(&window, Qt::Key_Down);
        absence.setAvailable(true);
        absence.setAvailable(false);
        QTRY_COMPARE(show.size(), 3);
        absence.shownInstead(&window);
        QTest::mouseClick(&window, Qt::LeftButton);
        absence.setAvailable(true);
        absence.setAvailable(false);
        QTRY_COMPARE(show.size(), 4);
        absence.shownInstead(&window);
        absence.askedFor();
        absence.setAvailable(true);
        QCOMPARE(back.size(), 1);

        // No tray at start: the window is there already, and goes once a tray appears.
        TrayAbsence atStart(150ms);
        QSignalSpy startBack(&atStart, &TrayAbsence::returnToTray);
        atStart.setAvailable(false, TrayAbsence::At::start);
        QVERIFY(!atStart.isWaiting());
        atStart.shownInstead(&window);
        atStart.setAvailable(true);
        QCOMPARE(startBack.size(), 1);
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
};

QTEST_MAIN(TestPopover)
#include "tst_popover.moc"
