#include <QTest>
class TestWholeGame : public QObject
{
    Q_OBJECT
};
QTEST_MAIN(TestWholeGame)
#include "tst_wholegame.moc"
