#include "game/labelclicker.h"
#include "tests/support/fixedrandom.h"

#include <QTest>

#include <set>

using namespace LabelClicker;

namespace {

// Colour and key-peg codes written as digits, "1432" for yellow, blue, green, red.
template <class T, std::size_t N> QString digits(const std::array<T, N> &values)
{
    QString text;
    for (const T value : values) {
        text += QString::number(static_cast<int>(value));
    }
    return text;
}

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void drawSecretCode_data();
    void drawSecretCode();
    void scoreGuess_data();
    void scoreGuess();
    void clockSourceKeepsTheOddsOfTheCode();
};

void TestRules::drawSecretCode_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<QString>("codeAndBag"); // the bag's slots 0 to 15 afterwards
    QTest::newRow("r = 0") << 0.0 << "1432 1234123412342341";
    QTest::newRow("r = 0.5") << 0.5 << "4432 1234121312342344";
    QTest::newRow("r just below 1") << kJustBelowOne << "3214 1234123412344123";
}

// Every draw starts again from the full, ordered bag, reseeds before each of its four picks
// and makes row 1 current, whatever the game before left behind.
void TestRules::drawSecretCode()
{
    QFETCH(double, r);
    QFETCH(QString, codeAndBag);
    const QString code = codeAndBag.section(' ', 0, 0), bag = codeAndBag.section(' ', 1);
    GameState state;
    FixedRandomSource random(r);
    for (int draw = 1; draw <= 2; ++draw) {
        state.currentRow = 7;
        LabelClicker::drawSecretCode(state, random);
        QCOMPARE(digits(state.codeColor), code);
        QCOMPARE(digits(state.colorBag).left(kBagInUse), bag);
        QCOMPARE(int(state.currentRow), 1);
        QCOMPARE(random.reseeds, 4 * draw);
    }
}

void TestRules::scoreGuess_data()
{
    QTest::addColumn<QString>("codeGuessKeyPegs");
    QTest::addColumn<int>("points");
    QTest::newRow("one exact, two displaced") << "1123 1211 1220" << 5;
    QTest::newRow("an exact peg earns nothing more") << "1123 1234 1220" << 5;
    QTest::newRow("all displaced") << "1234 4321 2222" << 8;
    QTest::newRow("all exact") << "2222 2222 1111" << 4;
    QTest::newRow("two exact, two displaced") << "1112 2111 1122" << 6;
    QTest::newRow("pairs swapped") << "3311 1133 2222" << 8;
    QTest::newRow("unset pegs never match") << "1234 0200 1000" << 1;
    QTest::newRow("one colour used up by the exact peg") << "1234 2222 1000" << 1;
    QTest::newRow("nothing right") << "4444 1231 0000" << 0;
    QTest::newRow("last two exact, one displaced") << "3241 2441 1120" << 4;
}

// A second scoring of the same guess, without clearing the flags, adds nothing.
void TestRules::scoreGuess()
{
    QFETCH(QString, codeGuessKeyPegs);
    QFETCH(int, points);
    const QStringList part = codeGuessKeyPegs.split(' '); // code, guess, key pegs
    GameState state;
    state.score = 10;
    for (int i = 0; i < kPegsPerRow; ++i) {
        state.codeColor[i] = static_cast<ColorCode>(part[0][i].digitValue());
        state.guessColor[i] = static_cast<ColorCode>(part[1][i].digitValue());
    }
    prepareForScoring(state);
    for (int call = 0; call < 2; ++call) {
        LabelClicker::scoreGuess(state);
        QCOMPARE(digits(state.keyPegs), part[2]);
        QCOMPARE(int(state.keyPegCount), 3 - int(part[2].count('0')));
        QCOMPARE(int(state.score), 10 + points);
    }
}

// The four reseeds of one draw follow each other far faster than a coarse clock ticks. Were
// the generator simply reset to the clock, the four picks would share one r and only 15 codes
// could come up. The first peg is blue in one code in five, each other colour in 4 in 15.
void TestRules::clockSourceKeepsTheOddsOfTheCode()
{
    constexpr int kDraws = 15000;
    ClockRandomSource random;
    GameState state;
    QList<int> firstColour(5);
    std::set<QString> codes;
    for (int i = 0; i < kDraws; ++i) {
        LabelClicker::drawSecretCode(state, random);
        ++firstColour[int(state.codeValues[0])];
        codes.insert(digits(state.codeValues));
    }
    QVERIFY2(codes.size() > 240, qPrintable(QString::number(codes.size())));
    QCOMPARE(firstColour[0], 0);
    for (int colour = 1; colour <= 4; ++colour) {
        // The standard deviation is about 55 draws; 400 is more than seven of them.
        const int expected = colour == 4 ? kDraws / 5 : kDraws * 4 / 15;
        QVERIFY2(std::abs(firstColour[colour] - expected) < 400,
                 qPrintable(QStringLiteral("colour %1: %2").arg(colour).arg(firstColour[colour])));
    }
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
