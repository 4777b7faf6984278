#include "game/labelclicker.h"
#include "tests/support/fixedrandom.h"

#include <QTest>

using namespace LabelClicker;

namespace {

template <class T, std::size_t N>
QList<int> toList(const std::array<T, N> &values, std::size_t count = N)
{
    QList<int> list;
    for (std::size_t i = 0; i < count; ++i) {
        list << static_cast<int>(values[i]);
    }
    return list;
}

template <class T> std::array<T, kPegsPerRow> fromList(const QList<int> &list)
{
    std::array<T, kPegsPerRow> values{};
    for (int i = 0; i < kPegsPerRow; ++i) {
        values[i] = static_cast<T>(list[i]);
    }
    return values;
}

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void drawSecretCode_data();
    void drawSecretCode();
    void drawStartsFromAFullBagEveryTime();
    void cyclePegColorAdvancesFromTheStoredValue();
    void cyclePegColorRejectsBadIndexes_data();
    void cyclePegColorRejectsBadIndexes();
    void scoreGuess_data();
    void scoreGuess();
    void secondScoreGuessAddsNothing();
};

void TestRules::drawSecretCode_data()
{
    QTest::addColumn<double>("r");
    QTest::addColumn<QList<int>>("code");
    QTest::addColumn<QList<int>>("bag");
    QTest::newRow("r = 0") << 0.0 << QList{1, 4, 3, 2}
                           << QList{1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 2, 3, 4, 1};
    QTest::newRow("r = 0.5") << 0.5 << QList{4, 4, 3, 2}
                             << QList{1, 2, 3, 4, 1, 2, 1, 3, 1, 2, 3, 4, 2, 3, 4, 4};
    QTest::newRow("r just below 1") << kJustBelowOne << QList{3, 2, 1, 4}
                                    << QList{1, 2, 3, 4, 1, 2, 3, 4, 1, 2, 3, 4, 4, 1, 2, 3};
}

void TestRules::drawSecretCode()
{
    QFETCH(double, r);
    QFETCH(QList<int>, code);
    QFETCH(QList<int>, bag);
    GameState state;
    state.currentRow = 7;
    state.score = 33;
    state.guessColor = fromList<ColorCode>({3, 0, 2, 1});
    FixedRandomSource random(r);

    LabelClicker::drawSecretCode(state, random);

    QCOMPARE(toList(state.codeValues), code);
    QCOMPARE(toList(state.codeColor), code);
    QCOMPARE(toList(state.colorBag, kBagInUse), bag);
    QCOMPARE(int(state.currentRow), 1);
    QCOMPARE(random.reseeds, 4);
    // The draw touches nothing else.
    QCOMPARE(int(state.score), 33);
    QCOMPARE(toList(state.guessColor), QList({3, 0, 2, 1}));
}

void TestRules::drawStartsFromAFullBagEveryTime()
{
    GameState state;
    FixedRandomSource random(0.5);
    LabelClicker::drawSecretCode(state, random);
    const auto first = state.codeValues;
    LabelClicker::drawSecretCode(state, random);
    QCOMPARE(toList(state.codeValues), toList(first));
}

void TestRules::cyclePegColorAdvancesFromTheStoredValue()
{
    GameState state;
    QList<int> seen;
    for (int click = 0; click < 5; ++click) {
        seen << static_cast<int>(*cyclePegColor(state, 0));
    }
    QCOMPARE(seen, QList({1, 2, 3, 4, 1}));

    state.guessColor = fromList<ColorCode>({0, 0, 3, 0});
    QCOMPARE(cyclePegColor(state, 2), std::optional(ColorCode::Blue));
    QCOMPARE(toList(state.guessColor), QList({0, 0, 4, 0}));
}

void TestRules::cyclePegColorRejectsBadIndexes_data()
{
    QTest::addColumn<int>("index");
    QTest::newRow("-1") << -1;
    QTest::newRow("4") << 4;
    QTest::newRow("large") << 32767;
}

void TestRules::cyclePegColorRejectsBadIndexes()
{
    QFETCH(int, index);
    GameState state;
    state.guessColor = fromList<ColorCode>({1, 2, 3, 4});
    QCOMPARE(cyclePegColor(state, index), std::nullopt);
    QCOMPARE(toList(state.guessColor), QList({1, 2, 3, 4}));
}

void TestRules::scoreGuess_data()
{
    QTest::addColumn<QList<int>>("code");
    QTest::addColumn<QList<int>>("guess");
    QTest::addColumn<QList<int>>("keyPegs");
    QTest::addColumn<int>("keyPegCount");
    QTest::addColumn<int>("points");
    QTest::newRow("one exact, two displaced")
        << QList{1, 1, 2, 3} << QList{1, 2, 1, 1} << QList{1, 2, 2, 0} << 2 << 5;
    QTest::newRow("all displaced")
        << QList{1, 2, 3, 4} << QList{4, 3, 2, 1} << QList{2, 2, 2, 2} << 3 << 8;
    QTest::newRow("all exact") << QList{2, 2, 2, 2} << QList{2, 2, 2, 2} << QList{1, 1, 1, 1} << 3
                               << 4;
    QTest::newRow("two exact, two displaced")
        << QList{1, 1, 1, 2} << QList{2, 1, 1, 1} << QList{1, 1, 2, 2} << 3 << 6;
    QTest::newRow("pairs swapped")
        << QList{3, 3, 1, 1} << QList{1, 1, 3, 3} << QList{2, 2, 2, 2} << 3 << 8;
    QTest::newRow("unset pegs never match")
        << QList{1, 2, 3, 4} << QList{0, 2, 0, 0} << QList{1, 0, 0, 0} << 0 << 1;
    QTest::newRow("one colour used up in pass 1")
        << QList{1, 2, 3, 4} << QList{2, 2, 2, 2} << QList{1, 0, 0, 0} << 0 << 1;
    QTest::newRow("nothing right")
        << QList{4, 4, 4, 4} << QList{1, 2, 3, 1} << QList{0, 0, 0, 0} << -1 << 0;
    QTest::newRow("two exact, one displaced")
        << QList{1, 2, 3, 3} << QList{1, 2, 4, 1} << QList{1, 1, 0, 0} << 1 << 2;
    QTest::newRow("exact and displaced of one colour")
        << QList{1, 2, 2, 3} << QList{2, 2, 4, 2} << QList{1, 2, 0, 0} << 1 << 3;
}

void TestRules::scoreGuess()
{
    QFETCH(QList<int>, code);
    QFETCH(QList<int>, guess);
    QFETCH(QList<int>, keyPegs);
    QFETCH(int, keyPegCount);
    QFETCH(int, points);
    GameState state;
    state.score = 10;
    state.codeColor = fromList<ColorCode>(code);
    state.guessColor = fromList<ColorCode>(guess);

    prepareForScoring(state);
    LabelClicker::scoreGuess(state);

    QCOMPARE(toList(state.keyPegs), keyPegs);
    QCOMPARE(int(state.keyPegCount), keyPegCount);
    QCOMPARE(int(state.score), 10 + points);
}

void TestRules::secondScoreGuessAddsNothing()
{
    GameState state;
    state.codeColor = fromList<ColorCode>({1, 1, 2, 3});
    state.guessColor = fromList<ColorCode>({1, 2, 1, 1});
    prepareForScoring(state);
    LabelClicker::scoreGuess(state);
    LabelClicker::scoreGuess(state);
    QCOMPARE(toList(state.keyPegs), QList({1, 2, 2, 0}));
    QCOMPARE(int(state.score), 5);
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
