// The host's windows and their placements: what the user changes through a widget's menu is there at the next
// start, and sizes a widget does not come in are refused.
#include "NimbraWidgetBundle.h"
#include "WidgetArrangement.h"
#include "WidgetBoard.h"
#include "WidgetHost.h"
#include "WidgetWindow.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

using namespace nimbra;

namespace {

const QString current = QStringLiteral("NimbraCurrentWidget");
const QString hourly = QStringLiteral("NimbraHourlyWidget");
const QString tenDay = QStringLiteral("NimbraTenDayWidget");

struct HostFiles {
    QTemporaryDir dir;
    WidgetHostOptions options(bool board = false) const {
        WidgetHostOptions o;
        o.snapshotFile = dir.filePath(QStringLiteral("group/Nimbra/weather-widget-cache-v3.json"));
        o.placementsFile = dir.filePath(QStringLiteral("config/Nimbra/widgets.conf"));
        o.board = board;
        return o;
    }
};

QList<WidgetPlacement> placementsAfterRestart(const HostFiles& files) {
    WidgetHost again(files.options());
    again.start();
    return again.placements();
}

} // namespace

class WidgetHostTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void aFirstStartPlacesOneCurrentWidgetBelowOtherWindows() {
        HostFiles files;
        WidgetHost host(files.options());
        host.start();
        QCOMPARE(host.placements().size(), 1);
        QCOMPARE(host.placements()[0].kind, current);
        const QList<WidgetWindow*> windows = host.windows();
        QCOMPARE(windows.size(), 1);
        QVERIFY(windows[0]->isWindow());
        QVERIFY(windows[0]->windowFlags().testFlags(Qt::WindowStaysOnBottomHint | Qt::Tool |
                                                    Qt::FramelessWindowHint));
        QCOMPARE(windows[0]->size(), widgetFamilySize(host.placements()[0].family));
        // With no snapshot every runner still has an entry to show: the empty state.
        for (const QString& kind : NimbraWidgetBundle::kinds()) {
            QCOMPARE(host.runner(kind)->timelinesRead(), 1);
            QVERIFY(!host.runner(kind)->entry().forecast);
        }
        QCOMPARE(placementsAfterRestart(files), host.placements());
    }

    void menuChangesAreKeptAcrossARestart() {
        HostFiles files;
        QList<WidgetPlacement> expected;
        {
            WidgetHost host(files.options());
            host.start();
            host.addWidget(hourly, WidgetFamily::systemSmall); // refused: no small hourly widget
            host.addWidget(tenDay, WidgetFamily::systemLarge);
            host.addWidget(hourly, WidgetFamily::systemMedium);
            QCOMPARE(host.windows().size(), 3);

            WidgetWindow* first = host.windows()[0];
            Q_EMIT first->familyRequested(WidgetFamily::systemSmall);
            QCOMPARE(first->size(), widgetFamilySize(WidgetFamily::systemSmall));
            first->move(40, 50);
            Q_EMIT first->moved(QPoint(40, 50));
            Q_EMIT host.windows()[1]->removeRequested();
            QCOMPARE(host.windows().size(), 2);
            expected = host.placements();
        }
        QCOMPARE(expected.size(), 2);
        QCOMPARE(expected[0].kind, current);
        QCOMPARE(expected[0].family, WidgetFamily::systemSmall);
        QCOMPARE(expected[0].position, QPoint(40, 50));
        QCOMPARE(expected[1].kind, hourly);
        QCOMPARE(placementsAfterRestart(files), expected);

        // Removing the last widget is kept too; showing the widgets again places the first one.
        WidgetHost host(files.options());
        host.start();
        while (!host.windows().isEmpty())
            Q_EMIT host.windows()[0]->removeRequested();
        QVERIFY(placementsAfterRestart(files).isEmpty());
        host.ShowWidgets();
        QCOMPARE(host.placements().size(), 1);
    }

    void aWidgetSavedOnAScreenThatIsGoneIsShownOnThisOne() {
        HostFiles files;
        const WidgetPlacement far{tenDay, WidgetFamily::systemLarge, QPoint(-9000, 12000)};
        QVERIFY(!WidgetPlacements(files.options().placementsFile).save({far}));
        WidgetHost host(files.options());
        host.start();
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            host.windows()[0]->geometry().center()));
        QCOMPARE(host.placements(), QList<WidgetPlacement>{far});
    }

    void theBoardIsUsedOnEveryWaylandPlugin_data() {
        QTest::addColumn<bool>("asked");
        QTest::addColumn<QString>("platform");
        QTest::addColumn<bool>("board");
        QTest::newRow("wayland") << false << "wayland" << true;
        QTest::newRow("wayland-egl") << false << "wayland-egl" << true;
        QTest::newRow("wayland-brcm") << false << "wayland-brcm" << true;
        QTest::newRow("xcb") << false << "xcb" << false;
        QTest::newRow("xcb, asked") << true << "xcb" << true;
    }
    void theBoardIsUsedOnEveryWaylandPlugin() {
        QFETCH(bool, asked);
        QFETCH(QString, platform);
        QTEST(widgetsNeedBoard(asked, platform), "board");
    }

    // A widget switched to a larger size stays where it is when it fits there; else it moves to the nearest
    // place on the screen clear of the others, and with no such place at least stays on the screen.
    void aResizedWidgetStaysOnScreenAndClearOfTheOthers_data() {
        QTest::addColumn<QRect>("resized");
        QTest::addColumn<QList<QRect>>("others");
        QTest::addColumn<QPoint>("position");
        const QRect area(0, 0, 1280, 800);
        const QSize large(372, 416);
        QTest::newRow("fits where it stands")
            << QRect(QPoint(20, 40), large) << QList<QRect>{QRect(412, 40, 372, 180)} << QPoint(20, 40);
        // Medium at (20,40) grown to Large covers the medium widget at (20,240): it goes beside it.
        QTest::newRow("over the widget below")
            << QRect(QPoint(20, 40), large) << QList<QRect>{QRect(20, 240, 372, 180)} << QPoint(404, 40);
        QTest::newRow("past the bottom edge")
            << QRect(QPoint(600, 600), large) << QList<QRect>{} << QPoint(600, 800 - 416);
        QTest::newRow("past the right edge, a widget to its left")
            << QRect(QPoint(1100, 20), large) << QList<QRect>{QRect(500, 20, 372, 416)}
            << QPoint(1280 - 372, 20);
        QTest::newRow("no room anywhere: on screen")
            << QRect(QPoint(1100, 700), large) << QList<QRect>{area} << QPoint(1280 - 372, 800 - 416);
        Q_UNUSED(area);
    }
    void aResizedWidgetStaysOnScreenAndClearOfTheOthers() {
        QFETCH(QRect, resized);
        QFETCH(QList<QRect>, others);
        const QRect area(0, 0, 1280, 800);
        const QPoint position = resizedWidgetPosition(resized, others, area);
        QTEST(position, "position");
        const QRect placed(position, resized.size());
        QVERIFY(area.contains(placed));
        if (others != QList<QRect>{area}) {
            for (const QRect& other : others)
                QVERIFY2(!other.intersects(placed), "overlaps another widget");
        }
    }

    void aWidgetSavedFarOutsideAnyScreenIsShownOnThisOne() {
        HostFiles files;
        QFile out(files.options().placementsFile);
        QVERIFY(QDir().mkpath(QFileInfo(out).absolutePath()));
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[placements]\n1\\kind=NimbraTenDayWidget\n1\\family=systemLarge\n1\\x=2147483600\n"
                  "1\\y=2147483600\nsize=1\n");
        out.close();
        WidgetHost host(files.options());
        host.start();
        QCOMPARE(host.windows().size(), 1);
        QVERIFY(QGuiApplication::primaryScreen()->availableGeometry().contains(
            host.windows()[0]->geometry().center()));
    }

    // The host starts afresh over a file QSettings cannot parse; its next save works, says so, and leaves the
    // placements alone in the file.
    void aGarbageFileGivesWayToThePlacements() {
        HostFiles files;
        const QString file = files.options().placementsFile;
        QVERIFY(QDir().mkpath(QFileInfo(file).absolutePath()));
        QByteArray garbage;
        QRandomGenerator random(7);
        for (int i = 0; i < 60000; ++i)
            garbage += char(random.bounded(256));
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(garbage) == garbage.size());
        out.close();
        QTest::failOnWarning(QRegularExpression(QStringLiteral("could not be saved")));
        WidgetHost host(files.options());
        host.start();
        host.addWidget(tenDay, WidgetFamily::systemLarge);
        QCOMPARE(host.placements().size(), 2);

        QSettings saved(file, QSettings::IniFormat);
        QStringList keys{QStringLiteral("placements/size")};
        for (const QString& index : {QStringLiteral("1"), QStringLiteral("2")}) {
            for (const QString& key :
                 {QStringLiteral("family"), QStringLiteral("kind"), QStringLiteral("x"), QStringLiteral("y")})
                keys.append(QStringLiteral("placements/%1/%2").arg(index, key));
        }
        keys.sort();
        QStringList savedKeys = saved.allKeys();
        savedKeys.sort();
        QCOMPARE(savedKeys, keys);
        QCOMPARE(saved.status(), QSettings::NoError);
        QCOMPARE(placementsAfterRestart(files), host.placements());
    }

    void theBoardHoldsEveryWidget() {
        HostFiles files;
        WidgetHost host(files.options(true));
        host.start();
        host.addWidget(tenDay, WidgetFamily::systemLarge);
        host.addWidget(hourly, WidgetFamily::systemMedium);
        QVERIFY(host.board());
        const QList<WidgetWindow*> windows = host.windows();
        QCOMPARE(windows.size(), 3);
        QRegion covered;
        for (WidgetWindow* window : windows) {
            QVERIFY(!window->isWindow());
            QCOMPARE(window->parentWidget(), host.board());
            QVERIFY(host.board()->rect().contains(window->geometry()));
            QVERIFY(!covered.intersects(window->geometry()));
            covered += window->geometry();
        }
        // In rows of two, in the order they were added.
        QCOMPARE(windows[0]->y(), windows[1]->y());
        QVERIFY(windows[2]->y() >= windows[1]->geometry().bottom());
    }
};

QTEST_MAIN(WidgetHostTest)
#include "tst_widget_host.moc"
