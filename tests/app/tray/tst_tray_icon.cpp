// The tray icon painted on demand: the same pixels as the painter gives for each size and ratio however the
// tray host asks, the sizes a StatusNotifier host is sent, and a picture painted once per reading. Readings
// are drawn without a font, whole, in every size.
#include "StatusItem.h"
#include "TrayDigits.h"
#include "TrayIconEngine.h"
#include "TrayIconPainter.h"
#include "ViewTheme.h"
#include "WeatherFormatting.h"

#include <QFile>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QTest>

using namespace nimbra;

namespace {

StatusItemModel modelShowing(const QString& text, WeatherCondition condition = WeatherCondition::clear) {
    StatusItemModel m;
    m.iconText = text;
    m.condition = condition;
    m.tooltip = QStringLiteral("Nimbra");
    return m;
}

QIcon iconFor(const StatusItemModel& model) {
    return QIcon(new TrayIconEngine(model));
}

// What an XEmbed tray does: paint the icon into its window's rectangle.
QImage paintedByHost(const QIcon& icon, QSize rect, qreal ratio) {
    QImage target(rect * ratio, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(ratio);
    target.fill(Qt::transparent);
    QPainter p(&target);
    icon.paint(&p, QRect(QPoint(0, 0), rect));
    return target;
}

QFont iconFont() {
    QFont font(theme::roundedFamily());
    font.setWeight(QFont::Bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

// The text size found by trying each half pixel downwards, as the icon was first fitted.
int stepwisePixelSize(QFont font, const QString& text, int edge) {
    double pixelSize = edge * 0.56;
    font.setPixelSize(qMax(1, qRound(pixelSize)));
    while (QFontMetricsF(font).horizontalAdvance(text) > edge && pixelSize > 6) {
        pixelSize -= 0.5;
        font.setPixelSize(qMax(1, qRound(pixelSize)));
    }
    return font.pixelSize();
}

const QStringList readings = {QStringLiteral("70°"),  QStringLiteral("-12°"), QStringLiteral("--"),
                              QStringLiteral("100°"), QStringLiteral("8°"),   QStringLiteral("--°")};

// Font files mapped into this process.
QStringList mappedFontFiles() {
    QFile maps(QStringLiteral("/proc/self/maps"));
    if (!maps.open(QIODevice::ReadOnly))
        return {};
    QStringList fonts;
    for (const QByteArray& line : maps.readAll().split('\n')) {
        const QString file = QString::fromLocal8Bit(line.mid(line.lastIndexOf(' ') + 1));
        if (file.endsWith(QLatin1String(".otf")) || file.endsWith(QLatin1String(".ttf")))
            fonts.append(file);
    }
    fonts.removeDuplicates();
    return fonts;
}

// Whether a fully white pixel, the inside of a stroke, touches the edge of the picture: a reading cut short.
bool fillTouchesTheEdge(const QImage& image) {
    const auto white = [&image](int x, int y) { return image.pixel(x, y) == qRgba(255, 255, 255, 255); };
    for (int i = 0; i < image.width(); ++i) {
        if (white(i, 0) || white(i, image.height() - 1) || white(0, i) || white(image.width() - 1, i))
            return true;
    }
    return false;
}

} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // First, while nothing in this process has used a font: an idle application in the tray needs none.
    void readingsNeedNoFont() {
        const QStringList before = mappedFontFiles();
        for (const int edge : {16, 22, 32})
            for (const QString& text : readings)
                TrayIconPainter::image(modelShowing(text), edge, 2);
        QCOMPARE(mappedFontFiles(), before);
        // Something the digits do not cover still reads, through the font.
        QVERIFY(!TrayDigits::canDraw(QStringLiteral("N/A")));
        TrayIconPainter::image(modelShowing(QStringLiteral("N/A")), 22);
        QVERIFY(mappedFontFiles().size() > before.size());
    }

    // Every temperature the status item can show, in either unit, is drawn with the digits and kept whole
    // inside the square.
    void everyReadingIsDrawnWhole() {
        for (double celsius = -90; celsius <= 90; celsius += 0.5) {
            for (const auto unit : {TemperatureUnit::celsius, TemperatureUnit::fahrenheit}) {
                const QString text = WeatherFormatting::temperature(celsius, unit);
                QVERIFY2(TrayDigits::canDraw(text), qPrintable(text));
            }
        }
        QVERIFY(TrayDigits::canDraw(QStringLiteral("--°")));
        for (const QString& text : readings + QStringList{QStringLiteral("-130°"), QStringLiteral("188°")}) {
            for (const int edge : {16, 22, 24, 32, 48, 64}) {
                const QImage image = TrayIconPainter::image(modelShowing(text), edge);
                QVERIFY2(!fillTouchesTheEdge(image),
                         qPrintable(QStringLiteral("%1 at %2").arg(text).arg(edge)));
            }
        }
    }

    void samePixelsAsThePainter_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("edge");
        QTest::addColumn<qreal>("ratio");
        for (const QString& text : readings)
            for (const int edge : {16, 22, 32})
                for (const qreal ratio : {1.0, 2.0})
                    QTest::addRow("%s at %d, ratio %g", qPrintable(text), edge, ratio)
                        << text << edge << ratio;
    }
    void samePixelsAsThePainter() {
        QFETCH(QString, text);
        QFETCH(int, edge);
        QFETCH(qreal, ratio);
        const StatusItemModel model = modelShowing(text);
        const QImage expected = TrayIconPainter::image(model, edge, ratio);
        const QIcon icon = iconFor(model);

        // A StatusNotifier host's way: a pixmap for a size.
        const QPixmap pixmap = icon.pixmap(QSize(edge, edge), ratio);
        QCOMPARE(pixmap.devicePixelRatio(), ratio);
        QCOMPARE(pixmap.toImage().convertToFormat(expected.format()), expected);
        // An XEmbed host's way: paint into the window.
        QCOMPARE(paintedByHost(icon, QSize(edge, edge), ratio), expected);
        // A window wider than tall gets the square picture in its middle, not a stretched one.
        const QImage wide = paintedByHost(icon, QSize(edge + 10, edge), ratio);
        QCOMPARE(wide.copy(QRect(QPoint(5, 0) * ratio, expected.size())), expected);
        QCOMPARE(wide.pixelColor(0, 0).alpha(), 0);
    }

    // Fitting the text from a guess finds the size trying every size downwards finds, also where the width
    // does not grow in proportion to the size (spacing, hinting), so the first guess is off.
    void textSizeMatchesStepwiseFitting_data() {
        QTest::addColumn<QFont>("font");
        QTest::addRow("the icon's font") << iconFont();
        QFont wide = iconFont();
        wide.setLetterSpacing(QFont::AbsoluteSpacing, 2);
        QTest::addRow("wider spacing") << wide;
        QFont narrow = iconFont();
        narrow.setLetterSpacing(QFont::AbsoluteSpacing, -1.5);
        QTest::addRow("narrower spacing") << narrow;
        QFont hinted(QStringLiteral("DejaVu Sans"));
        hinted.setHintingPreference(QFont::PreferFullHinting);
        QTest::addRow("fully hinted") << hinted;
    }
    void textSizeMatchesStepwiseFitting() {
        QFETCH(QFont, font);
        for (const QString& text : readings + QStringList{QStringLiteral("-100°"), QStringLiteral("1°")}) {
            for (int edge = 8; edge <= 64; ++edge) {
                const int fitted = TrayIconPainter::textPixelSize(font, text, edge);
                const int stepwise = stepwisePixelSize(font, text, edge);
                if (fitted != stepwise)
                    QFAIL(qPrintable(QStringLiteral("%1 at %2: %3 instead of %4")
                                         .arg(text)
                                         .arg(edge)
                                         .arg(fitted)
                                         .arg(stepwise)));
            }
        }
    }

    void offeredSizes() {
        const QIcon icon = iconFor(modelShowing(QStringLiteral("70°")));
        const QList<QSize> sizes = icon.availableSizes();
        QCOMPARE(sizes, (QList<QSize>{{16, 16}, {22, 22}, {24, 24}, {32, 32}, {48, 48}, {64, 64}}));
        for (const QSize& size : sizes)
            QCOMPARE(icon.pixmap(size).size(), size);
        // Odd requests: nothing for an empty size, and no giant picture for a huge one.
        QVERIFY(icon.pixmap(QSize(0, 22)).isNull());
        QCOMPARE(icon.pixmap(QSize(5000, 5000)).size(), QSize(256, 256));
        QCOMPARE(icon.actualSize(QSize(40, 22)), QSize(22, 22));
    }

    void paintedOncePerReading() {
        QMenu menu;
        StatusItem item(&menu);
        const StatusItemModel warm = modelShowing(QStringLiteral("70°"));
        item.paint(warm);
        const QIcon first = item.icon();
        const QPixmap firstPicture = first.pixmap(QSize(22, 22));
        // Asked again, the same picture comes back rather than a new painting.
        QCOMPARE(item.icon().pixmap(QSize(22, 22)).cacheKey(), firstPicture.cacheKey());

        item.paint(warm);
        QCOMPARE(item.icon().cacheKey(), first.cacheKey());
        StatusItemModel newTooltip = warm;
        newTooltip.tooltip = QStringLiteral("70° Clear");
        item.paint(newTooltip);
        QCOMPARE(item.icon().cacheKey(), first.cacheKey());

        StatusItemModel warmer = newTooltip;
        warmer.iconText = QStringLiteral("71°");
        item.paint(warmer);
        QVERIFY(item.icon().cacheKey() != first.cacheKey());
        const QImage warmerPicture = item.icon().pixmap(QSize(22, 22)).toImage();
        QVERIFY(warmerPicture != firstPicture.toImage());
        QCOMPARE(warmerPicture.convertToFormat(QImage::Format_ARGB32_Premultiplied),
                 TrayIconPainter::image(warmer, 22));

        StatusItemModel rainy = warmer;
        rainy.condition = WeatherCondition::rain;
        item.paint(rainy);
        QVERIFY(item.icon().pixmap(QSize(22, 22)).toImage() != warmerPicture);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "tst_tray_icon.moc"
