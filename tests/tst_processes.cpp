// Whole copies of the game in processes of their own (the game with a known code, driven from
// standard input): two copies on one list, signals, and a player who may not write the
// program's folder.
#include "tests/support/testgame.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace {

// A folder holding a copy of the game, so its list lives beside it there.
struct GameFolder
{
    GameFolder()
    {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                              QFile::ReadOther | QFile::ExeOther);
        QFile::copy(QStringLiteral(SCRIPTED_GAME), program());
    }
    ~GameFolder()
    {
        QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    QString program() const { return dir.filePath("vantrel-scripted"); }
    QString list() const { return dir.filePath("High Scores.trel"); }
    QTemporaryDir dir;
};

class Copy
{
public:
    explicit Copy(const QString &program, const QStringList &asUser = {},
                  const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        m_process.setProcessEnvironment(environment);
        m_process.start(asUser.isEmpty() ? program : asUser.first(),
                        asUser.isEmpty() ? QStringList() : asUser.mid(1) << program);
        m_process.waitForStarted();
    }
    ~Copy()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished();
        }
    }
    // Runs one command and returns what the game printed for it.
    QByteArray run(const QByteArray &command)
    {
        m_process.write(command + '\n');
        QByteArray out;
        while (!out.endsWith("ok\n") && m_process.waitForReadyRead(20000))
            out += m_process.readAllStandardOutput();
        return out;
    }
    int waitForExit()
    {
        m_process.closeWriteChannel();
        m_process.waitForFinished(20000);
        return m_process.state() == QProcess::NotRunning ? m_process.exitCode() : -1;
    }
    void signal(int number) { ::kill(pid_t(m_process.processId()), number); }

private:
    QProcess m_process;
};

} // namespace

class TestProcesses : public QObject
{
    Q_OBJECT

private slots:
    void twoCopiesKeepEachOthersEntries_data()
    {
        QTest::addColumn<bool>("firstClosesFirst");
        QTest::newRow("first closes first") << true;
        QTest::newRow("second closes first") << false;
    }
    void twoCopiesKeepEachOthersEntries()
    {
        QFETCH(bool, firstClosesFirst);
        GameFolder folder;
        Copy ann(folder.program()), bob(folder.program());
        for (auto [copy, name] : {std::pair{&ann, "Ann"}, std::pair{&bob, "Bob"}}) {
            copy->run("win");
            copy->run(QByteArray("name ") + name);
        }
        (firstClosesFirst ? ann : bob).run("close");
        (firstClosesFirst ? bob : ann).run("close");
        QCOMPARE(ann.waitForExit(), 0);
        QCOMPARE(bob.waitForExit(), 0);
        QCOMPARE(readFile(folder.list()), "4 - Ann\r\n4 - Bob\r\n\r\n");
    }

    // As at logout: the game ends cleanly, and a win waiting for its name or in an open list
    // reaches the file.
    void signalsEndTheGameKeepingTheWin_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("file");
        QTest::newRow("SIGTERM, name not entered")
            << SIGTERM << QByteArray() << QByteArray("4 - Player Name\r\n\r\n");
        QTest::newRow("SIGHUP, list open")
            << SIGHUP << QByteArray("Ann") << QByteArray("4 - Ann\r\n\r\n");
        QTest::newRow("SIGINT, no win") << SIGINT << QByteArray("-") << QByteArray("<missing>");
    }
    void signalsEndTheGameKeepingTheWin()
    {
        QFETCH(int, number);
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, file);
        GameFolder folder;
        Copy game(folder.program());
        if (name != "-")
            game.run("win");
        if (!name.isEmpty() && name != "-")
            game.run("name " + name);
        game.run("");
        game.signal(number);
        QCOMPARE(game.waitForExit(), 0);
        QCOMPARE(readFile(folder.list()), file);
    }

    // A player who may not write the program's folder keeps a list of their own, which starts
    // from the one beside the program; a list there that the player may write is written in
    // place. Run as nobody when the suite runs as root, who ignores permissions.
    void aPlayerWhoMayNotWriteTheProgramFolder()
    {
        const bool root = ::geteuid() == 0;
        const passwd *nobody = ::getpwnam("nobody");
        if (root && (!nobody || QStandardPaths::findExecutable("setpriv").isEmpty()))
            QSKIP("running as root without a user nobody or setpriv to drop to");
        const QStringList asUser = root ? QStringList{"setpriv", "--reuid=nobody",
                                                      "--regid=nogroup", "--clear-groups", "--"}
                                        : QStringList();
        GameFolder folder;
        QTemporaryDir home;
        QVERIFY(!root || ::chown(QFile::encodeName(home.path()).constData(), nobody->pw_uid,
                                 nobody->pw_gid) == 0);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("HOME", home.path());
        environment.insert("XDG_DATA_HOME", home.filePath("data"));
        const QString own = home.filePath("data/Vantrel/High Scores.trel");
        writeFile(folder.list(), "45 - Ann\r\n\r\n");
        QFile::setPermissions(folder.list(), QFile::ReadOwner | QFile::ReadOther);
        QFile::setPermissions(folder.dir.path(), QFile::ReadOwner | QFile::ExeOwner |
                                                     QFile::ReadOther | QFile::ExeOther);

        for (const char *name : {"Zed", "Amy"}) {
            Copy game(folder.program(), asUser, environment);
            game.run("win");
            game.run(QByteArray("name ") + name);
            game.run("close");
            QCOMPARE(game.waitForExit(), 0);
        }
        QCOMPARE(readFile(own), "4 - Amy\r\n4 - Zed\r\n45 - Ann\r\n\r\n");
        QCOMPARE(readFile(folder.list()), "45 - Ann\r\n\r\n");
        Copy again(folder.program(), asUser, environment);
        QCOMPARE(again.run("print"), "entry 4 - Amy\nentry 4 - Zed\nentry 45 - Ann\nok\n");
        again.signal(SIGTERM); // the board of this copy is still open
        QCOMPARE(again.waitForExit(), 0);

        // The list beside the program, writable by the player in a folder that is not.
        QVERIFY(QFile::remove(own));
        QVERIFY(!root || ::chown(QFile::encodeName(folder.list()).constData(), nobody->pw_uid,
                                 nobody->pw_gid) == 0);
        QFile::setPermissions(folder.list(), QFile::ReadOwner | QFile::WriteOwner);
        Copy inPlace(folder.program(), asUser, environment);
        inPlace.run("win");
        inPlace.run("name Eve");
        inPlace.run("close");
        QCOMPARE(inPlace.waitForExit(), 0);
        QCOMPARE(readFile(folder.list()), "4 - Eve\r\n45 - Ann\r\n\r\n");
        QVERIFY(!QFile::exists(own));
        QCOMPARE(QDir(folder.dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }
};

QTEST_GUILESS_MAIN(TestProcesses)
#include "tst_processes.moc"
