#include "game/labelclicker.h"

#include <QTest>

#include <array>
#include <set>

using namespace LabelClicker;

class TestRandomSource : public QObject
{
    Q_OBJECT

private slots:
    void drawsStayBelowOne();
    void codeOddsSurviveReseedingWithinOneClockTick();
    void scaledDrawNeverReachesTheLimit_data();
    void scaledDrawNeverReachesTheLimit();
};

void TestRandomSource::drawsStayBelowOne()
{
    ClockRandomSource random;
    for (int i = 0; i < 100000; ++i) {
        random.reseedFromClock();
        const double r = random.next();
        QVERIFY(r >= 0.0 && r < 1.0);
    }
}

// Four reseeds follow each other far faster than the clock ticks. Were the generator reset
// to the clock each time, all four draws would share one r and only 15 codes could come up.
void TestRandomSource::codeOddsSurviveReseedingWithinOneClockTick()
{
    constexpr int kDraws = 30000;
    ClockRandomSource random;
    GameState state;
    std::array<int, 5> firstColour{};
    std::set<int> codes;
    for (int i = 0; i < kDraws; ++i) {
        drawSecretCode(state, random);
        ++firstColour[static_cast<int>(state.codeValues[0])];
        int key = 0;
        for (ColorCode c : state.codeValues) {
            key = key * 5 + static_cast<int>(c);
        }
        codes.insert(key);
    }
    // Expected: blue 1/5 (6000), the others 4/15 (8000) each; standard deviation about 80,
    // so +-600 is more than seven deviations.
    QVERIFY2(std::abs(firstColour[4] - kDraws / 5) < 600,
             qPrintable(QString::number(firstColour[4])));
    for (int colour = 1; colour <= 3; ++colour) {
        QVERIFY2(std::abs(firstColour[colour] - kDraws * 4 / 15) < 600,
                 qPrintable(QString::number(firstColour[colour])));
    }
    QCOMPARE(firstColour[0], 0);
    QVERIFY2(codes.size() > 240, qPrintable(QString::number(codes.size())));
}

void TestRandomSource::scaledDrawNeverReachesTheLimit_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<int>("n");
    QTest::addColumn<int>("x");
    QTest::newRow("0 of 15") << 0.0 << 15 << 0;
    QTest::newRow("half of 15") << 0.5 << 15 << 7;
    QTest::newRow("just below 1 of 15") << std::nextafter(1.0, 0.0) << 15 << 14;
    QTest::newRow("just below 1 of 3") << std::nextafter(1.0, 0.0) << 3 << 2;
    QTest::newRow("limit 0") << 0.9 << 0 << 0;
}

void TestRandomSource::scaledDrawNeverReachesTheLimit()
{
    QFETCH(double, r);
    QFETCH(int, n);
    QFETCH(int, x);
    QCOMPARE(scaledDraw(r, n), x);
}

QTEST_APPLESS_MAIN(TestRandomSource)
#include "tst_randomsource.moc"
