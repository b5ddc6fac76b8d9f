// Offscreen renders of the shared views: symbols, condition icons and every card from the fixture forecast.
// The PNGs land in view-renders/ next to the test program for a person to look at.

#include "DashboardPreview.h"
#include "FitLabel.h"
#include "HorizontalScrollArea.h"
#include "SymbolImage.h"
#include "SymbolView.h"
#include "ViewAnimations.h"
#include "WeatherConditionIcon.h"
#include "WeatherContextMetricStrip.h"
#include "WrapLabel.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTest>

#include <cmath>
#include <limits>

using namespace nimbra;

namespace {

QString renderDir() {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/view-renders");
    QDir().mkpath(dir);
    return dir;
}

void save(const QImage& image, const QString& name) {
    QVERIFY(image.save(renderDir() + u'/' + name + QStringLiteral(".png")));
}

QImage grab(QWidget* widget) {
    return widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

// Pixels that differ from the background (or are not transparent on a transparent image).
int inkPixels(const QImage& image, const QRect& area, QRgb background = 0) {
    int count = 0;
    const QRect r = area.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y) {
        for (int x = r.left(); x <= r.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            if (background == 0 ? qAlpha(p) > 24
                                : (qAbs(qRed(p) - qRed(background)) + qAbs(qGreen(p) - qGreen(background)) +
                                   qAbs(qBlue(p) - qBlue(background))) > 30)
                ++count;
        }
    }
    return count;
}

// The leftmost and rightmost column with ink.
std::pair<int, int> inkColumns(const QImage& image, QRgb background) {
    int left = image.width(), right = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (inkPixels(image, QRect(x, 0, 1, image.height()), background) > 0) {
            left = qMin(left, x);
            right = qMax(right, x);
        }
    }
    return {left, right};
}

QImage artworkImage(WeatherCondition condition, double size, int margin) {
    const int edge = int(std::ceil(size)) + 2 * margin;
    QImage image(edge, edge, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    paintConditionArtwork(painter, conditionArtwork(condition, size), QPointF(margin, margin),
                          QApplication::palette());
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}

// Every label inside root that is shown and must show its whole text.
template <typename Label> QList<Label*> shownLabels(QWidget* root) {
    QList<Label*> out;
    for (Label* label : root->findChildren<Label*>()) {
        if (label->isVisibleTo(root) && !label->text().isEmpty())
            out.append(label);
    }
    return out;
}

bool insideHorizontalScroll(QWidget* w) {
    for (QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<HorizontalScrollArea*>(p))
            return true;
    }
    return false;
}

WeatherSample brokenSample(const QDateTime& date, double value) {
    WeatherSample s;
    s.date = date;
    s.temperatureC = value;
    s.apparentTemperatureC = value;
    s.humidity = value;
    s.windKph = value;
    s.precipitationProbability = value;
    s.condition = WeatherCondition::rain;
    return s;
}

} // namespace

class ViewRenderingTest : public QObject {
    Q_OBJECT

    QDateTime now = preview::fixedNow();
    LocalCalendar calendar = preview::utcCalendar();

private Q_SLOTS:
    void initTestCase() {
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        animations::setEnabled(false);
    }

    void everySymbolTheViewsNameIsDrawn() {
        // The names the views take from their models, plus the two the condition artwork draws.
        QSet<QString> used = {QStringLiteral("chevron.down"), QStringLiteral("snowflake"),
                              QStringLiteral("questionmark"), QStringLiteral("drop.fill"),
                              QStringLiteral("wind")};
        for (const TrendChip& chip :
             buildTrendViewModel({}, WeatherSettings{}, TrendMetric::temperature, calendar).chips)
            used.insert(chip.symbol);
        const auto forecast = preview::fixtureForecast(now, calendar);
        DailyForecast sunny = forecast.daily.first();
        sunny.sunrise = now.addSecs(600);
        for (const auto& item : heroMetricItems(forecast.current, {sunny}, WeatherSettings{}, now, calendar))
            used.insert(item.systemImage);
        sunny.sunrise.reset();
        sunny.sunset = now.addSecs(600);
        for (const auto& item : heroMetricItems(forecast.current, {sunny}, WeatherSettings{}, now, calendar))
            used.insert(item.systemImage);
        QCOMPARE(used.size(), 10);

        const int edge = 32;
        QImage sheet(edge * int(used.size()), edge, QImage::Format_ARGB32_Premultiplied);
        sheet.fill(Qt::white);
        QPainter painter(&sheet);
        int x = 0;
        // Other screens (the settings window) name further glyphs and check them themselves.
        for (const QString& name : SymbolImage::names()) {
            if (!used.contains(name))
                continue;
            const QImage glyph = SymbolImage::image(name, edge, Qt::black);
            QVERIFY2(!glyph.isNull(), qPrintable(name));
            const int ink = inkPixels(glyph.convertToFormat(QImage::Format_ARGB32), glyph.rect());
            QVERIFY2(ink > 30 && ink < edge * edge * 3 / 4,
                     qPrintable(name + QStringLiteral(": %1").arg(ink)));
            painter.drawImage(x, 0, glyph);
            x += edge;
        }
        painter.end();
        for (const QString& name : std::as_const(used))
            QVERIFY2(SymbolImage::isKnown(name), qPrintable(name));
        QVERIFY(SymbolImage::image(QStringLiteral("no.such.symbol"), edge, Qt::black).isNull());
        // Tinting: a red glyph has red ink.
        const QImage red = SymbolImage::image(QStringLiteral("drop.fill"), edge, Qt::red)
                               .convertToFormat(QImage::Format_ARGB32);
        const QRgb centre = red.pixel(edge / 2, edge * 2 / 3);
        QVERIFY(qRed(centre) > 200 && qGreen(centre) < 40);
        save(sheet, QStringLiteral("symbols"));
    }

    void conditionIconsAtTheViewsSizes() {
        const QList<double> sizes = {28, 34, 66, 70};
        const int margin = 24;
        const QList<WeatherCondition> all = conditions::allCases();
        int cell = 70 + 2 * margin;
        QImage sheet(cell * int(all.size()), cell * int(sizes.size()), QImage::Format_ARGB32_Premultiplied);
        sheet.fill(QColor(236, 236, 240));
        QPainter painter(&sheet);
        for (int row = 0; row < sizes.size(); ++row) {
            for (int col = 0; col < all.size(); ++col) {
                const QImage icon = artworkImage(all[col], sizes[row], margin);
                QVERIFY(inkPixels(icon, icon.rect()) > sizes[row] * sizes[row] / 10);
                // Nothing is drawn in the far corners of the room around the square.
                QCOMPARE(inkPixels(icon, QRect(0, 0, 4, 4)), 0);
                painter.drawImage(col * cell, row * cell, icon);
            }
        }
        painter.end();
        save(sheet, QStringLiteral("condition-icons"));

        // The sun is yellow at its centre and orange towards its rim.
        const QImage sun = artworkImage(WeatherCondition::clear, 70, margin);
        const QRgb centre = sun.pixel(margin + 35, margin + 35);
        QVERIFY(qRed(centre) > 230 && qGreen(centre) > 180 && qBlue(centre) < 80);
        const QRgb rim = sun.pixel(margin + 35 + 31, margin + 35);
        QVERIFY(qGreen(rim) < qGreen(centre) - 30);
        // The unknown disc is a faint grey across the whole square.
        const QImage unknown = artworkImage(WeatherCondition::unknown, 70, margin);
        const QRgb edgePixel = unknown.pixel(margin + 2, margin + 35);
        QVERIFY(qAlpha(edgePixel) > 20 && qAlpha(edgePixel) < 80);
        QCOMPARE(qAlpha(unknown.pixel(margin - 2, margin + 35)), 0);
    }

    void iconArtworkReachesBeyondItsFrameUnclipped() {
        // In a card, the thunderstorm's bolt hangs below the icon's square and is still painted there.
        CardWidget card;
        card.setFill(ColorToken::srgb(1, 1, 1));
        WeatherConditionIcon::markAsIconSurface(&card);
        card.resize(120, 140);
        auto* icon = new WeatherConditionIcon(WeatherCondition::thunderstorm, 70, &card);
        icon->setGeometry(25, 10, 70, 70);
        QCOMPARE(icon->accessibleName(), QStringLiteral("Thunderstorm"));
        const QImage image = grab(&card);
        save(image, QStringLiteral("icon-overhang"));
        // Below the square (y 80 ... 99) there is bolt: yellow to orange ink.
        int boltPixels = 0;
        for (int y = 82; y < 98; ++y) {
            for (int x = 25; x < 95; ++x) {
                const QRgb p = image.pixel(x, y);
                if (qRed(p) > 200 && qBlue(p) < 120)
                    ++boltPixels;
            }
        }
        QVERIFY2(boltPixels > 40, qPrintable(QString::number(boltPixels)));
    }

    void cardsFromTheFixtureForecast() {
        const auto forecast = preview::fixtureForecast(now, calendar, true);
        const WeatherSettings settings;
        preview::DashboardColumn d = preview::dashboardColumn(forecast, settings, now, calendar);
        d.daily->toggle(d.daily->model().rows[1].date);
        d.scroll->resize(390, 2000);
        d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
        d.scroll->show();
        preview::settle();

        // Hero: the icon in its 78 px frame, four-or-fewer equal strip cells, the teal status dot.
        QCOMPARE(d.hero->icon()->size(), QSize(78, 78));
        QVERIFY(d.hero->metricStrip());
        const MetricStripGeometry strip =
            d.hero->metricStrip()->geometryForWidth(d.hero->metricStrip()->width());
        QCOMPARE(strip.cells.size(), d.hero->model().metricItems.size());
        QCOMPARE(strip.cells.first().width(), strip.cells.last().width());
        const QImage hero = grab(d.hero);
        save(hero, QStringLiteral("hero"));
        auto* dot = d.hero->findChildren<DotView*>().last();
        const QRgb dotCentre = hero.pixel(dot->geometry().center());
        QVERIFY(qGreen(dotCentre) > qRed(dotCentre) + 60 && qBlue(dotCentre) > qRed(dotCentre) + 60);

        // Trend: a 108 px plot whose line is drawn in orange.
        QVERIFY(d.trend->chart());
        QCOMPARE(d.trend->chart()->height(), 108);
        const QImage trend = grab(d.trend);
        save(trend, QStringLiteral("trend-temperature"));
        const QImage plot = grab(d.trend->chart());
        int orange = 0;
        for (int y = 0; y < plot.height(); ++y)
            for (int x = 0; x < plot.width(); ++x)
                if (qRed(plot.pixel(x, y)) > 230 && qGreen(plot.pixel(x, y)) > 120 &&
                    qGreen(plot.pixel(x, y)) < 170 && qBlue(plot.pixel(x, y)) < 60)
                    ++orange;
        QVERIFY2(orange > 100, qPrintable(QString::number(orange)));

        // Hourly: twelve cards of exactly 70 x 128.
        QCOMPARE(d.hourly->cards().size(), 12);
        for (CardWidget* card : d.hourly->cards())
            QCOMPARE(card->size(), QSize(70, 128));
        save(grab(d.hourly), QStringLiteral("hourly"));

        // Ten-day: ten rows, nine dividers, the second row open with its chevron turned up.
        QCOMPARE(d.daily->rows().size(), 10);
        QCOMPARE(d.daily->dividers().size(), 9);
        DailyRowButton* open = d.daily->rows()[1];
        QVERIFY(open->isExpanded());
        QVERIFY(open->detail()->isVisible());
        QCOMPARE(open->chevron()->rotation(), 180.0);
        QVERIFY(open->height() > d.daily->rows()[0]->height() + 10);
        save(grab(d.daily), QStringLiteral("ten-day"));

        // Alerts: the sample alert as one card.
        QCOMPARE(d.alerts->cards().size(), 1);
        save(grab(d.alerts), QStringLiteral("alerts"));
        // The column without the empty room below it.
        const int contentHeight = d.column->heightForWidth(d.column->width());
        save(d.column->grab(QRect(0, 0, d.column->width(), contentHeight)).toImage(),
             QStringLiteral("dashboard-390"));
        delete d.scroll;
    }

    void clicksSelectMetricsAndOpenDays() {
        const auto forecast = preview::fixtureForecast(now, calendar);
        preview::DashboardColumn d = preview::dashboardColumn(forecast, WeatherSettings{}, now, calendar);
        d.daily->setAnimated(false);
        d.scroll->resize(390, 2000);
        d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
        d.scroll->show();
        preview::settle();

        QTest::mouseClick(d.trend->chips()[2], Qt::LeftButton);
        QCOMPARE(d.trend->selectedMetric(), TrendMetric::wind);
        QCOMPARE(d.trend->model().leadingInset, 48.0);
        preview::settle();
        QVERIFY(d.trend->chips()[2]->chip().selected);
        save(grab(d.trend), QStringLiteral("trend-wind"));

        // The chips row stays where it was scrolled when a chip rebuilds the card.
        const auto chipArea = [&d] {
            QWidget* w = d.trend->chips().first();
            while (w && !qobject_cast<HorizontalScrollArea*>(w))
                w = w->parentWidget();
            return qobject_cast<HorizontalScrollArea*>(w);
        };
        d.scroll->resize(300, 2000);
        preview::settle();
        QVERIFY(chipArea()->horizontalScrollBar()->maximum() > 30);
        chipArea()->horizontalScrollBar()->setValue(30);
        QTest::mouseClick(d.trend->chips()[3], Qt::LeftButton);
        QCOMPARE(d.trend->selectedMetric(), TrendMetric::precipitation);
        preview::settle();
        QVERIFY(chipArea()->isVisible());
        QCOMPARE(chipArea()->horizontalScrollBar()->value(), 30);
        // Switched in place (the chart keeps its axis), the card paints its chart as one built with that
        // metric.
        d.trend->setSelectedMetric(TrendMetric::humidity);
        preview::settle();
        TwelveHourTrendGraphView built(forecast.hourly, WeatherSettings{}, TrendMetric::humidity, 108, 7,
                                       calendar);
        built.setAttribute(Qt::WA_DontShowOnScreen);
        built.resize(d.trend->size());
        built.show();
        preview::settle();
        QCOMPARE(grab(d.trend->chart()), grab(built.chart()));
        d.scroll->resize(390, 2000);
        preview::settle();

        // A click anywhere on a row, also on its texts, opens it; a second one closes it.
        DailyRowButton* row = d.daily->rows()[3];
        QTest::mouseClick(row->columnLabels().first(), Qt::LeftButton, {}, QPoint(5, 5));
        QVERIFY(d.daily->expandedDays().contains(row->row().date));
        QTest::mouseClick(d.daily->rows()[5], Qt::LeftButton);
        QCOMPARE(d.daily->expandedDays().size(), 2);
        QTest::mouseClick(row, Qt::LeftButton);
        QVERIFY(!row->isExpanded());
        QCOMPARE(row->chevron()->rotation(), 0.0);

        // A refreshed forecast keeps the open day open while it is listed.
        const QDateTime open = d.daily->rows()[5]->row().date;
        d.daily->setForecast(forecast.daily.mid(2), WeatherSettings{});
        QCOMPARE(d.daily->rows().size(), 8);
        QVERIFY(d.daily->rows()[3]->isExpanded());
        QCOMPARE(d.daily->rows()[3]->row().date, open);
        QCOMPARE(d.daily->dividers().size(), 7);
        delete d.scroll;
    }

    void expandAnimatesUnlessSwitchedOff() {
        const auto forecast = preview::fixtureForecast(now, calendar);
        DailyListView list(forecast.daily, WeatherSettings{}, calendar);
        list.setAnimated(true);
        list.resize(360, 600);
        list.setAttribute(Qt::WA_DontShowOnScreen);
        list.show();
        DailyRowButton* row = list.rows().first();
        list.toggle(row->row().date);
        QVERIFY(row->isExpanded());
        QVERIFY(row->detail()->progress() < 1.0);
        QTRY_COMPARE_WITH_TIMEOUT(row->detail()->progress(), 1.0, 2000);
        list.setAnimated(false);
        list.toggle(row->row().date);
        QCOMPARE(row->detail()->progress(), 0.0);
        QVERIFY(!row->detail()->isVisible());
    }

    void nothingIsClippedAtTheSmallestPopover_data() {
        QTest::addColumn<bool>("celsius");
        QTest::addColumn<bool>("dark");
        QTest::newRow("fahrenheit") << false << false;
        QTest::newRow("celsius, dark") << true << true;
    }

    void nothingIsClippedAtTheSmallestPopover() {
        QFETCH(bool, celsius);
        QFETCH(bool, dark);
        const QPalette original = QApplication::palette();
        if (dark) {
            QPalette p = original;
            p.setColor(QPalette::Window, QColor(40, 40, 44));
            p.setColor(QPalette::WindowText, Qt::white);
            QApplication::setPalette(p);
        }
        WeatherSettings settings;
        if (celsius) {
            settings.temperatureUnit = TemperatureUnit::celsius;
            settings.windSpeedUnit = WindSpeedUnit::kilometersPerHour;
        }
        auto forecast = preview::fixtureForecast(now, calendar, true);
        // A long provider title must wrap inside its card, not push the severity out.
        forecast.alerts.first().title =
            QStringLiteral("Coastal Flood Advisory and Small Craft Advisory in effect");
        preview::DashboardColumn d = preview::dashboardColumn(forecast, settings, now, calendar);
        for (DailyRowButton* row : d.daily->rows())
            d.daily->toggle(row->row().date);
        d.scroll->resize(360, 420);
        d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
        d.scroll->show();
        preview::settle();

        // Linux scroll bars are not overlays: the bar is shown and takes its width from the column.
        QVERIFY(d.scroll->verticalScrollBar()->isVisible());
        const int columnWidth = d.column->width();
        QVERIFY2(columnWidth < 360 - 8, qPrintable(QString::number(columnWidth)));
        QCOMPARE(d.scroll->viewport()->width(), columnWidth);

        const QRect columnRect = d.column->rect();
        for (FitLabel* label : shownLabels<FitLabel>(d.column)) {
            QVERIFY2(!label->isTruncated(), qPrintable(label->text()));
            if (!insideHorizontalScroll(label)) {
                const QRect r(label->mapTo(d.column, QPoint(0, 0)), label->size());
                QVERIFY2(columnRect.adjusted(12, 0, -12, 0).contains(r), qPrintable(label->text()));
            }
        }
        for (WrapLabel* label : shownLabels<WrapLabel>(d.column)) {
            QVERIFY2(!label->isTruncated(), qPrintable(label->text()));
            const QRect r(label->mapTo(d.column, QPoint(0, 0)), label->size());
            QVERIFY2(columnRect.adjusted(12, 0, -12, 0).contains(r), qPrintable(label->text()));
        }
        // No widget was squeezed below the width it asked for (its content would be cut or overlap).
        for (QWidget* w : d.column->findChildren<QWidget*>()) {
            if (w->isVisibleTo(d.column) && !insideHorizontalScroll(w))
                QVERIFY2(w->width() >= w->minimumWidth(), w->metaObject()->className());
        }
        // The ten-day columns were narrowed to fit, and each row's chevron is inside its card.
        for (DailyRowButton* row : d.daily->rows()) {
            const QList<QWidget*> columns = {row->columnLabels()[0], row->icon(), row->columnLabels()[1],
                                             row->columnLabels()[2], row->chevron()};
            for (qsizetype i = 1; i < columns.size(); ++i)
                QVERIFY2(columns[i]->geometry().left() > columns[i - 1]->geometry().right(),
                         qPrintable(row->row().weekday + QStringLiteral(" column %1").arg(i)));
            const QRect chevron(row->chevron()->mapTo(d.daily->card(), QPoint(0, 0)), row->chevron()->size());
            QVERIFY(d.daily->card()->rect().adjusted(12, 0, -12, 0).contains(chevron));
        }
        QVERIFY(d.daily->columnWidths().total() <= d.daily->card()->width() - 24);
        save(grab(d.scroll), QString::fromLatin1(celsius ? "popover-360x420-celsius" : "popover-360x420"));
        save(grab(d.column), QString::fromLatin1(celsius ? "dashboard-360-celsius" : "dashboard-360"));
        delete d.scroll;
        QApplication::setPalette(original);
    }

    // The longest real place name: shrunk, then cut; the card and what is below it keep the popover's width.
    void aLongPlaceNameNeverWidensTheHeroCard() {
        const QDateTime now = preview::fixedNow();
        const LocalCalendar calendar = preview::utcCalendar();
        auto forecast = preview::fixtureForecast(now, calendar);
        forecast.location.name = QStringLiteral("Llanfairpwllgwyngyllgogerychwyrndrobwllllantysiliogogogoch");
        forecast.location.subtitle = QStringLiteral("Anglesey, Wales");
        preview::DashboardColumn d = preview::dashboardColumn(forecast, WeatherSettings{}, now, calendar);
        d.scroll->resize(360, 420);
        d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
        d.scroll->show();
        preview::settle();

        QCOMPARE(d.column->width(), d.scroll->viewport()->width());
        QVERIFY(d.hero->width() <= d.column->width() - 24);
        FitLabel* title = d.hero->titleLabel();
        QCOMPARE(title->text(), forecast.location.name);
        QCOMPARE(title->currentScale(), HeroViewModel::titleMinimumScale);
        QVERIFY(title->isTruncated());
        const QRect heroRect = d.hero->rect();
        for (FitLabel* label : shownLabels<FitLabel>(d.hero)) {
            const QRect r(label->mapTo(d.hero, QPoint(0, 0)), label->size());
            QVERIFY2(heroRect.contains(r), qPrintable(label->text()));
            QVERIFY2(label == title || !label->isTruncated(), qPrintable(label->text()));
        }
        QVERIFY(d.trend->width() <= d.column->width() - 24);
        save(grab(d.scroll), QStringLiteral("popover-360-long-place-name"));
        delete d.scroll;
    }

    // A label keeps its measure between changes; each change of text, style or line limit measures again, as
    // a new label with them would.
    void aLabelMeasuresWhatItShowsNow() {
        const TextToken small{FontToken::style(TextStyle::caption), ColorToken::of(Tint::primary)};
        const TextToken large{FontToken::style(TextStyle::title3, FontWeight::semibold).digits(),
                              ColorToken::of(Tint::primary)};
        const auto fresh = [](const QString& text, const TextToken& style) {
            return FitLabel(text, style).naturalWidth();
        };
        FitLabel label(QStringLiteral("12°"), small);
        QCOMPARE(label.naturalWidth(), fresh(QStringLiteral("12°"), small));
        label.setText(QStringLiteral("Feels 12°, wind 30 km/h"));
        QCOMPARE(label.naturalWidth(), fresh(QStringLiteral("Feels 12°, wind 30 km/h"), small));
        QCOMPARE(label.sizeHint().width(), int(std::ceil(label.naturalWidth())));
        const int smallHeight = label.sizeHint().height();
        label.setStyle(large);
        QCOMPARE(label.naturalWidth(), fresh(QStringLiteral("Feels 12°, wind 30 km/h"), large));
        QVERIFY(label.naturalWidth() > fresh(QStringLiteral("Feels 12°, wind 30 km/h"), small));
        QCOMPARE(label.sizeHint(), FitLabel(QStringLiteral("Feels 12°, wind 30 km/h"), large).sizeHint());
        QVERIFY(label.sizeHint().height() > smallHeight);
        label.setText(QString());
        QCOMPARE(label.naturalWidth(), 0.0);

        // The same for wrapped text, asked at more widths than it keeps, again after each change.
        const QString longer = QStringLiteral("Rain starting in about 40 minutes, lasting into the evening.");
        const auto freshHeight = [](const QString& text, const TextToken& style, int lines, int width) {
            WrapLabel fresh(text, style);
            fresh.setMaximumLineCount(lines, 0.8);
            return fresh.heightForWidth(width);
        };
        WrapLabel wrapped(QStringLiteral("Clear."), small);
        const auto matchesFresh = [&](const QString& text, const TextToken& style, int lines) {
            for (const int width : {120, 300, 60, 200, 90, 120, 60, 300}) {
                if (wrapped.heightForWidth(width) != freshHeight(text, style, lines, width))
                    return false;
            }
            WrapLabel fresh(text, style);
            return wrapped.sizeHint() == fresh.sizeHint();
        };
        QVERIFY(matchesFresh(QStringLiteral("Clear."), small, 0));
        wrapped.setText(longer);
        QVERIFY(matchesFresh(longer, small, 0));
        wrapped.setStyle(large);
        QVERIFY(matchesFresh(longer, large, 0));
        wrapped.setMaximumLineCount(2, 0.8);
        QCOMPARE(wrapped.heightForWidth(120), freshHeight(longer, large, 2, 120));
        QCOMPARE(wrapped.heightForWidth(60), freshHeight(longer, large, 2, 60));
        QVERIFY(wrapped.heightForWidth(120) < freshHeight(longer, large, 0, 120));
    }

    void providerTextIsShownAsPlainText() {
        WeatherAlert alert;
        alert.title = QStringLiteral("<b>Flood</b> <a href=\"x\">Watch</a>");
        alert.summary = QStringLiteral("<img src=\"file:///etc/passwd\">&amp;");
        alert.severity = WeatherAlertSeverity::extreme;
        AlertListView view({alert});
        view.resize(360, 200);
        const QList<WrapLabel*> labels = view.findChildren<WrapLabel*>();
        QCOMPARE(labels.size(), 2);
        QCOMPARE(labels[0]->text(), alert.title);
        QCOMPARE(labels[1]->text(), alert.summary);

        // The markup is drawn as its characters: as wide as the literal text, not as the one word it would
        // render.
        const QRgb white = qRgb(255, 255, 255);
        const auto inkWidth = [&](const QString& text) {
            WrapLabel label(text, {FontToken::style(TextStyle::callout), ColorToken::of(Tint::black)});
            label.resize(600, 40);
            QImage image(label.size(), QImage::Format_ARGB32);
            image.fill(white);
            label.render(&image, QPoint(), QRegion(), QWidget::RenderFlags());
            const auto [left, right] = inkColumns(image, white);
            return right - left;
        };
        QVERIFY(inkWidth(QStringLiteral("<b>Flood</b>")) > inkWidth(QStringLiteral("Flood")) + 20);
        const int literal = inkWidth(alert.title);
        QVERIFY(literal > inkWidth(QStringLiteral("Flood Watch")) + 40);
    }

    void nonFiniteReadingsShowPlaceholders() {
        ConsensusForecast forecast = preview::fixtureForecast(now, calendar);
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        forecast.current = brokenSample(now, nan);
        forecast.hourly = {brokenSample(now, nan), brokenSample(now.addSecs(3600), inf),
                           brokenSample(now.addSecs(7200), -inf), brokenSample(now.addSecs(10800), 1e308),
                           brokenSample(now.addSecs(14400), -1e308)};
        forecast.daily.first().highC = inf;
        forecast.daily.first().lowC = nan;
        forecast.daily.first().precipitationProbability = nan;
        forecast.confidence = nan;

        const HeroViewModel hero = buildHeroViewModel(forecast, WeatherSettings{},
                                                      WeatherHeroPresentation::macPopover, now, calendar);
        QCOMPARE(hero.temperature, QStringLiteral("--\u00B0"));
        QCOMPARE(*hero.feelsLike, QStringLiteral("Feels --\u00B0"));
        QCOMPARE(hero.metricItems[0].value, QStringLiteral("--%"));
        QCOMPARE(hero.metricItems[1].value, QStringLiteral("-- mph"));
        QCOMPARE(hero.metricItems[2].value, QStringLiteral("--%"));

        // Only the two huge but finite readings are plottable; the scale between them is not finite, so no
        // coordinate reaches the painter.
        for (const TrendMetric metric : trendMetrics::allCases()) {
            const TrendViewModel trend =
                buildTrendViewModel(forecast.hourly, WeatherSettings{}, metric, calendar);
            for (const TrendPoint& p : trend.points)
                QVERIFY(std::isfinite(p.value));
            const TrendChartGeometry g = trendChartGeometry(trend.points, trend.rainPoints, trend.scale,
                                                            trend.leadingInset + 7, QSizeF(300, 108));
            for (const QPointF& c : g.coordinates)
                QVERIFY(std::isfinite(c.x()) && std::isfinite(c.y()));
            for (const QString& label : trend.valueLabels)
                QVERIFY2(label.startsWith(QStringLiteral("--")) || label.at(0).isDigit() ||
                             label.at(0) == u'-',
                         qPrintable(label));
        }
        const DailyListViewModel daily =
            buildDailyListViewModel(forecast.daily, WeatherSettings{}, {}, calendar);
        QCOMPARE(daily.rows.first().lowHigh, QStringLiteral("--\u00B0 / --\u00B0"));
        QCOMPARE(daily.rows.first().rain, QStringLiteral("--%"));

        // And the whole column paints.
        preview::DashboardColumn d = preview::dashboardColumn(forecast, WeatherSettings{}, now, calendar);
        d.trend->setSelectedMetric(TrendMetric::precipitation);
        d.scroll->resize(390, 1400);
        d.scroll->setAttribute(Qt::WA_DontShowOnScreen);
        d.scroll->show();
        preview::settle();
        QVERIFY(!grab(d.column).isNull());
        delete d.scroll;
    }
};

QTEST_MAIN(ViewRenderingTest)
#include "tst_view_rendering.moc"
