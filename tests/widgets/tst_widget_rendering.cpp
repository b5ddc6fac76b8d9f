// Offscreen renders of every widget kind in every size it comes in, from a real snapshot, the placeholder, no
// forecast and extreme texts. The PNGs land in widget-renders/ next to the test program for a person to look
// at; the fit check fails when a text is cut or a block leaves its place or runs into another.

#include "WidgetRenderScenes.h"

#include "FitLabel.h"
#include "WidgetBlockViews.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLayout>
#include <QPainter>

#include <algorithm>

using namespace nimbra;
using namespace nimbra::widgettest;

namespace {

QString renderDir() {
    const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/widget-renders");
    QDir().mkpath(dir);
    return dir;
}

void settle() {
    for (int i = 0; i < 12; ++i)
        QCoreApplication::processEvents();
}

QString describe(const QWidget* widget, const QWidget* root) {
    const QRect r(widget->mapTo(root, QPoint(0, 0)), widget->size());
    QString name = QString::fromLatin1(widget->metaObject()->className());
    if (const auto* label = qobject_cast<const FitLabel*>(widget))
        name += QStringLiteral(" \"%1\"").arg(label->text());
    else if (const auto* text = widget->findChild<FitLabel*>())
        name += QStringLiteral(" holding \"%1\"").arg(text->text());
    return QStringLiteral("%1 at %2,%3 %4x%5").arg(name).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

// Every child a layout places must lie inside the layout's area and clear of its siblings.
void checkLayout(const QLayout* layout, const QWidget* root, QStringList& problems) {
    const QRect area = layout->contentsRect();
    QList<const QWidget*> placed;
    for (int i = 0; i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (const QLayout* inner = item->layout()) {
            checkLayout(inner, root, problems);
            continue;
        }
        const QWidget* child = item->widget();
        if (!child || child->isHidden())
            continue;
        if (!area.contains(child->geometry()))
            problems << QStringLiteral("outside its place: ") + describe(child, root);
        for (const QWidget* other : std::as_const(placed)) {
            if (child->geometry().intersects(other->geometry()))
                problems << QStringLiteral("overlaps: ") + describe(child, root) + QStringLiteral(" / ") +
                                describe(other, root);
        }
        placed.append(child);
        if (child->layout())
            checkLayout(child->layout(), root, problems);
    }
}

QStringList fitProblems(QWidget* root) {
    QStringList problems;
    if (root->layout()->minimumSize().height() > root->height() ||
        root->layout()->minimumSize().width() > root->width())
        problems << QStringLiteral("needs at least %1x%2")
                        .arg(root->layout()->minimumSize().width())
                        .arg(root->layout()->minimumSize().height());
    checkLayout(root->layout(), root, problems);
    for (const FitLabel* label : root->findChildren<FitLabel*>()) {
        if (label->isVisibleTo(root) && label->isTruncated() &&
            !label->property(widgetparts::elidesProperty).toBool())
            problems << QStringLiteral("cut: ") + describe(label, root);
    }
    return problems;
}

} // namespace

class WidgetRenderingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void everyKindAndFamilyFits_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("family");
        for (const WidgetKindSizes& kind : renderedKinds())
            for (WidgetFamily family : kind.families)
                QTest::addRow("%s-%s", qPrintable(kind.kind), qPrintable(widgetFamilyName(family)))
                    << kind.kind << int(family);
    }

    void everyKindAndFamilyFits() {
        QFETCH(QString, kind);
        QFETCH(int, family);
        const auto widgetFamily = WidgetFamily(family);
        const QSize size = widgetFamilySize(widgetFamily);
        const QList<RenderScene> scenes = renderScenes(m_snapshot);
        QImage sheet(size.width() * int(scenes.size()) + 8 * int(scenes.size() - 1), size.height(),
                     QImage::Format_ARGB32);
        sheet.fill(Qt::transparent);
        QStringList problems;
        for (qsizetype i = 0; i < scenes.size(); ++i) {
            const RenderScene& scene = scenes[i];
            auto view = makeWidgetView(kind, scene.entry, widgetFamily);
            view->show();
            settle();
            QCOMPARE(view->size(), size);
            const QImage image = view->grab().toImage().convertToFormat(QImage::Format_ARGB32);
            const QString name =
                QStringLiteral("%1-%2-%3").arg(kind, widgetFamilyName(widgetFamily), scene.name);
            QVERIFY(image.save(renderDir() + u'/' + name + QStringLiteral(".png")));
            QPainter(&sheet).drawImage(int(i) * (size.width() + 8), 0, image);
            for (const QString& problem : fitProblems(view.get()))
                problems << scene.name + QStringLiteral(": ") + problem;

            // Always dark: the top-left corner is the lit end of the background, the bottom-right the dark
            // end.
            const QColor topLeft = image.pixelColor(1, 1),
                         bottomRight = image.pixelColor(size.width() - 2, size.height() - 2);
            QVERIFY2(topLeft.lightness() < 60 && bottomRight.lightness() < topLeft.lightness(),
                     qPrintable(name));
        }
        QVERIFY(sheet.save(renderDir() +
                           QStringLiteral("/sheet-%1-%2.png").arg(kind, widgetFamilyName(widgetFamily))));
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join(u'\n')));
    }

    // Each strip of the large hourly widget shares its width equally among the cells it shows: a second strip
    // with fewer hours left widens its cells instead of leaving the rest of the row empty.
    void hourlyStripCellsShareTheStripWidth_data() {
        QTest::addColumn<int>("hours");
        QTest::addColumn<int>("secondStripCells");
        QTest::newRow("one hour left for the second strip") << 7 << 1;
        QTest::newRow("two hours left") << 8 << 2;
        QTest::newRow("both strips full") << 14 << 6;
    }

    void hourlyStripCellsShareTheStripWidth() {
        QFETCH(int, hours);
        QFETCH(int, secondStripCells);
        QList<qint64> offsets;
        for (int i = 0; i < hours; ++i)
            offsets.append(2400 + 3600 * i);
        const WeatherWidgetEntry entry{fixedNow(), forecastWithHours(offsets), WeatherSettings{}};
        HourlyWeatherWidgetView view(entry, WidgetFamily::systemLarge, utcCalendar());
        view.show();
        settle();
        const auto cellsOf = [&](int item) {
            QList<QRect> cells;
            const QWidget* strip = view.cardLayout()->itemAt(item)->widget();
            for (const QWidget* cell : strip->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                cells.append(cell->geometry());
            std::sort(cells.begin(), cells.end(),
                      [](const QRect& a, const QRect& b) { return a.x() < b.x(); });
            return cells;
        };
        const QList<QRect> first = cellsOf(1), second = cellsOf(2);
        QCOMPARE(first.size(), 6);
        QCOMPARE(second.size(), secondStripCells);
        // The cells fill the row, 10 px apart, none narrower than its neighbour by more than a pixel.
        const int rowWidth = view.cardLayout()->contentsRect().width();
        for (const QList<QRect>& cells : {first, second}) {
            QCOMPARE(cells.last().right() - cells.first().left() + 1, rowWidth);
            for (qsizetype i = 1; i < cells.size(); ++i) {
                QCOMPARE(cells[i].left() - cells[i - 1].right() - 1, 10);
                QVERIFY(qAbs(cells[i].width() - cells[i - 1].width()) <= 1);
            }
        }
        QVERIFY2(fitProblems(&view).isEmpty(), qPrintable(fitProblems(&view).join(u'\n')));
    }

    // Hourly and ten-day widgets with nothing left to list say that a forecast is awaited instead of leaving
    // their body blank; with hours and days to come they list them.
    void widgetsWithoutHoursOrDaysSayAForecastIsAwaited_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<int>("family");
        QTest::addColumn<QString>("scene");
        QTest::addColumn<bool>("waits");
        for (const QString& kind : {QStringLiteral("hourly"), QStringLiteral("tenday")})
            for (WidgetFamily family : {WidgetFamily::systemMedium, WidgetFamily::systemLarge})
                for (const auto& [scene, waits] : {std::pair(QStringLiteral("no-forecast"), true),
                                                   std::pair(QStringLiteral("year-old"), true),
                                                   std::pair(QStringLiteral("snapshot"), false)})
                    QTest::addRow("%s-%s-%s", qPrintable(kind), qPrintable(widgetFamilyName(family)),
                                  qPrintable(scene))
                        << kind << int(family) << scene << waits;
    }

    void widgetsWithoutHoursOrDaysSayAForecastIsAwaited() {
        QFETCH(QString, kind);
        QFETCH(int, family);
        QFETCH(QString, scene);
        QFETCH(bool, waits);
        WeatherWidgetEntry entry;
        for (const RenderScene& s : renderScenes(m_snapshot))
            if (s.name == scene)
                entry = s.entry;
        auto view = makeWidgetView(kind, entry, WidgetFamily(family));
        view->show();
        settle();
        QStringList texts;
        for (const FitLabel* label : view->findChildren<FitLabel*>())
            if (label->isVisibleTo(view.get()))
                texts << label->text();
        QCOMPARE(texts.contains(QStringLiteral("Waiting for a forecast")), waits);
        // Beside the header and the sentence, nothing: no hour or day with its temperature or rain chance.
        if (waits)
            for (const QString& text : std::as_const(texts))
                QVERIFY2(!text.contains(u'°') && !text.contains(u'%'), qPrintable(text));
        QVERIFY2(fitProblems(view.get()).isEmpty(), qPrintable(fitProblems(view.get()).join(u'\n')));
    }

private:
    SnapshotFile m_snapshot;
};

QTEST_MAIN(WidgetRenderingTest)
#include "tst_widget_rendering.moc"
