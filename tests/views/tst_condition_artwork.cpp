#include "ConditionArtwork.h"

#include <QTest>

using namespace nimbra;

namespace {

QList<QRectF> framesOf(const ConditionArtwork& art, ArtworkPiece piece) {
    QList<QRectF> out;
    for (const ArtworkElement& e : art.elementsOf(piece))
        out.append(e.frame);
    return out;
}

bool hasCloud(const ConditionArtwork& art) {
    return !art.elementsOf(ArtworkPiece::cloudBase).isEmpty();
}

} // namespace

class ConditionArtworkTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void sameArtworkForSiblingConditions() {
        for (const double size : {28.0, 70.0}) {
            QCOMPARE(conditionArtwork(WeatherCondition::mostlyClear, size),
                     conditionArtwork(WeatherCondition::clear, size));
            QCOMPARE(conditionArtwork(WeatherCondition::sleet, size),
                     conditionArtwork(WeatherCondition::snow, size));
        }
        QVERIFY(conditionArtwork(WeatherCondition::rain, 70) !=
                conditionArtwork(WeatherCondition::drizzle, 70));
    }

    void compositionByCondition_data() {
        QTest::addColumn<WeatherCondition>("condition");
        QTest::addColumn<bool>("cloud");
        QTest::addColumn<int>("suns");
        QTest::addColumn<int>("drops");
        QTest::addColumn<int>("flakes");
        QTest::addColumn<int>("bars");
        QTest::addColumn<int>("streaks");
        QTest::addColumn<int>("bolts");
        using C = WeatherCondition;
        QTest::newRow("clear") << C::clear << false << 1 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("partly cloudy") << C::partlyCloudy << true << 1 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("cloudy") << C::cloudy << true << 0 << 0 << 0 << 0 << 0 << 0;
        QTest::newRow("fog") << C::fog << true << 0 << 0 << 0 << 3 << 0 << 0;
        QTest::newRow("drizzle") << C::drizzle << true << 0 << 2 << 0 << 0 << 0 << 0;
        QTest::newRow("rain") << C::rain << true << 0 << 3 << 0 << 0 << 0 << 0;
        QTest::newRow("heavy rain") << C::heavyRain << true << 0 << 4 << 0 << 0 << 0 << 0;
        QTest::newRow("thunderstorm: bolt, no drops")
            << C::thunderstorm << true << 0 << 0 << 0 << 0 << 0 << 1;
        QTest::newRow("snow") << C::snow << true << 0 << 0 << 3 << 0 << 0 << 0;
        QTest::newRow("windy: no cloud") << C::windy << false << 0 << 0 << 0 << 0 << 3 << 0;
        QTest::newRow("unknown") << C::unknown << false << 0 << 0 << 0 << 0 << 0 << 0;
    }

    void compositionByCondition() {
        QFETCH(WeatherCondition, condition);
        QFETCH(bool, cloud);
        QFETCH(int, suns);
        QFETCH(int, drops);
        QFETCH(int, flakes);
        QFETCH(int, bars);
        QFETCH(int, streaks);
        QFETCH(int, bolts);
        const ConditionArtwork art = conditionArtwork(condition, 100);
        QCOMPARE(hasCloud(art), cloud);
        QCOMPARE(art.cloudShadow.has_value(), cloud);
        QCOMPARE(art.elementsOf(ArtworkPiece::sunDisc).size(), suns);
        QCOMPARE(art.elementsOf(ArtworkPiece::drop).size(), drops);
        QCOMPARE(art.elementsOf(ArtworkPiece::snowflake).size(), flakes);
        QCOMPARE(art.elementsOf(ArtworkPiece::fogBar).size(), bars);
        QCOMPARE(art.elementsOf(ArtworkPiece::windStreak).size(), streaks);
        QCOMPARE(art.elementsOf(ArtworkPiece::bolt).size(), bolts);
        // The cloud covers the sun and lies behind what falls from it.
        if (cloud) {
            const qsizetype cloudAt = art.elements.indexOf(art.elementsOf(ArtworkPiece::cloudBase).first());
            for (qsizetype i = 0; i < art.elements.size(); ++i) {
                const ArtworkPiece piece = art.elements[i].piece;
                const bool before = piece == ArtworkPiece::sunDisc || piece == ArtworkPiece::sunRing;
                const bool inCloud = art.elements[i].castsCloudShadow;
                if (!inCloud)
                    QCOMPARE(i < cloudAt, before);
            }
        }
    }

    void dropRowsStayCentred_data() {
        QTest::addColumn<WeatherCondition>("condition");
        QTest::addColumn<double>("rowWidth");
        QTest::newRow("two") << WeatherCondition::drizzle << 0.23;
        QTest::newRow("three") << WeatherCondition::rain << 0.39;
        QTest::newRow("four") << WeatherCondition::heavyRain << 0.55;
    }

    void dropRowsStayCentred() {
        QFETCH(WeatherCondition, condition);
        QFETCH(double, rowWidth);
        const ConditionArtwork art = conditionArtwork(condition, 100);
        const QList<ArtworkElement> drops = art.elementsOf(ArtworkPiece::drop);
        const double left = drops.first().frame.left();
        const double right = drops.last().frame.right();
        QVERIFY(qAbs((right - left) - rowWidth * 100) < 1e-9);
        QVERIFY(qAbs((left + right) / 2 - 50) < 1e-9);
        for (qsizetype i = 0; i < drops.size(); ++i) {
            // Rotation turns the drawing only; odd drops hang 0.04 lower.
            QCOMPARE(drops[i].rotationDegrees, 12.0);
            QCOMPARE(drops[i].frame.size(), QSizeF(7, 22));
            QVERIFY(qAbs(drops[i].offset.y() - (i % 2 == 1 ? 29 : 25)) < 1e-9);
        }
    }

    void sunRingAndGradientAtSmallSizes() {
        const ConditionArtwork tiny = conditionArtwork(WeatherCondition::clear, 20);
        QCOMPARE(tiny.elementsOf(ArtworkPiece::sunRing).first().lineWidth, 1.0);
        QCOMPARE(tiny.elementsOf(ArtworkPiece::sunDisc).first().paint.startRadius, 1.0);
        const ConditionArtwork large = conditionArtwork(WeatherCondition::clear, 100);
        QVERIFY(qAbs(large.elementsOf(ArtworkPiece::sunRing).first().lineWidth - 3.0) < 1e-9);
        QCOMPARE(large.elementsOf(ArtworkPiece::sunDisc).first().paint.startRadius, 1.0);
        QVERIFY(qAbs(large.elementsOf(ArtworkPiece::sunDisc).first().paint.endRadius - 42) < 1e-9);
        // Behind the cloud the sun moves up and to the left.
        const ArtworkElement moved =
            conditionArtwork(WeatherCondition::partlyCloudy, 100).elementsOf(ArtworkPiece::sunDisc).first();
        QVERIFY(qAbs(moved.offset.x() + 13) < 1e-9 && qAbs(moved.offset.y() + 12) < 1e-9);
    }

    void boltHangsBelowTheSquare() {
        const ArtworkElement bolt =
            conditionArtwork(WeatherCondition::thunderstorm, 100).elementsOf(ArtworkPiece::bolt).first();
        double lowest = 0;
        for (const QPointF& v : bolt.polygon)
            lowest = qMax(lowest, v.y() + bolt.offset.y());
        QVERIFY(qAbs(lowest - 127) < 1e-9);
        // The gradient runs over the whole square, not the bolt's own bounds.
        QCOMPARE(bolt.frame, QRectF(0, 0, 100, 100));
    }

    void fogWindAndUnknownShapes() {
        const QList<QRectF> bars =
            framesOf(conditionArtwork(WeatherCondition::fog, 100), ArtworkPiece::fogBar);
        QVERIFY(qAbs(bars[1].width() - 72) < 1e-9 && qAbs(bars[0].width() - 58) < 1e-9);
        for (const QRectF& bar : bars)
            QVERIFY(qAbs(bar.center().x() - 50) < 1e-9);
        QVERIFY(qAbs(bars[1].top() - bars[0].bottom() - 7) < 1e-9);

        const QList<QRectF> streaks =
            framesOf(conditionArtwork(WeatherCondition::windy, 100), ArtworkPiece::windStreak);
        QList<double> widths;
        for (const QRectF& s : streaks)
            widths << qRound(s.width());
        QCOMPARE(widths, (QList<double>{78, 62, 72}));

        const ConditionArtwork unknown = conditionArtwork(WeatherCondition::unknown, 70);
        QCOMPARE(unknown.elementsOf(ArtworkPiece::unknownDisc).first().frame, QRectF(0, 0, 70, 70));
        QCOMPARE(unknown.elementsOf(ArtworkPiece::questionmark).first().symbol,
                 QStringLiteral("questionmark"));
    }
};

QTEST_GUILESS_MAIN(ConditionArtworkTest)
#include "tst_condition_artwork.moc"
