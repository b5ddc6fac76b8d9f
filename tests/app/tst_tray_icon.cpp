// The tray icon's temperature fitted to its square.
#include "TrayIconPainter.h"
#include "ViewTheme.h"

#include <QFontMetricsF>
#include <QTest>

using namespace nimbra;

namespace {

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

} // namespace

class TestTrayIcon : public QObject {
    Q_OBJECT
private Q_SLOTS:
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
};

QTEST_MAIN(TestTrayIcon)
#include "tst_tray_icon.moc"
