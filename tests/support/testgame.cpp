#include "tests/support/testgame.h"

#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/main/boardaccessible.h"
#include "ui/main/boardwidget.h"
#include "ui/main/vantmain.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

// What a screen reader was last told of the board and its painted items: all of it when it
// first read them, and since then each part that an event it heard said had changed.
QPointer<BoardWidget> toldBoard;
QHash<QAccessibleInterface *, QStringList> told;

QStringList shown(QAccessibleInterface *item)
{
    return {item->text(QAccessible::Name), item->text(QAccessible::Description),
            QString::number(item->state().disabled), QString::number(item->state().invisible)};
}

void hear(QAccessibleEvent *event)
{
    const QList<int> parts{QAccessible::NameChanged, QAccessible::DescriptionChanged,
                           QAccessible::StateChanged, QAccessible::ObjectShow,
                           QAccessible::ObjectHide};
    const int part = std::min<int>(parts.indexOf(event->type()), 3);
    if (QAccessibleInterface *focus = event->accessibleInterface();
        focus && event->type() == QAccessible::Focus)
        TestGame::heard << focus->text(QAccessible::Name) +
                               (focus->text(QAccessible::Description).isEmpty()
                                    ? QString()
                                    : ". " + focus->text(QAccessible::Description));
    const auto it = told.find(event->accessibleInterface());
    if (it != told.end() && part >= 0 &&
        (part != 2 || static_cast<QAccessibleStateChangeEvent *>(event)->changedStates().disabled))
        (*it)[part] = shown(it.key())[part];
}

} // namespace

TestGame::TestGame()
    : services{state, random,
               [this](const QString &title, const QString &text) {
                   messages.append({title, text});
               },
               Scores::Location{dir.path() + QStringLiteral("/High Scores.trel")}},
      windows(services)
{
    QApplication::setCursorFlashTime(0); // a steady caret, the same in every screenshot
    // Qt hands on accessibility events only while a screen reader is there: play one.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    QAccessible::installUpdateHandler(hear);
    heard.clear();
}

TestGame::~TestGame()
{
    processDeletes();
    QAccessible::installUpdateHandler(nullptr);
}

VantMain &TestGame::main()
{
    return windows.vantMain.show();
}

void processDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestGame::clickButton(QWidget *window, const char *name)
{
    QVERIFY2(window, name);
    auto *button = window->findChild<QPushButton *>(QString::fromLatin1(name));
    QVERIFY2(button, name);
    QTest::mouseClick(button, Qt::LeftButton);
    processDeletes();
}

QStringList TestGame::visibleWindows()
{
    QStringList names;
    for (QWidget *w : QApplication::topLevelWidgets()) {
        if (w->isVisible()) {
            names << w->objectName();
        }
    }
    names.sort();
    return names;
}

// Waits until every window that centres itself once the window system has framed it has done
// so, then handles what is still pending: only then are the windows' places and focus certain.
static void settle()
{
    QVERIFY(QTest::qWaitFor([] {
        const QWidgetList all = QApplication::topLevelWidgets();
        return std::none_of(all.begin(), all.end(), [](QWidget *window) {
            auto *timer = window->findChild<QTimer *>(QString(), Qt::FindDirectChildrenOnly);
            return timer && timer->isActive();
        });
    }));
    QCoreApplication::processEvents();
}

void TestGame::play(const QString &script)
{
    // The main window, loaded if it is not, but never raised again: that would move the focus.
    const auto vant = [this]() -> VantMain & {
        return windows.vantMain.isLoaded() ? *windows.vantMain.window() : main();
    };
    const auto click = [&](QEvent::Type press, QPoint at, std::optional<QPoint> releaseAt = {}) {
        for (QEvent::Type type : {press, QEvent::MouseButtonRelease}) {
            const QPoint p = type == press ? at : releaseAt.value_or(at);
            QMouseEvent event(type, p, vant().board().mapToGlobal(p), Qt::LeftButton,
                              type == press ? Qt::LeftButton : Qt::NoButton, {});
            QCoreApplication::sendEvent(&vant().board(), &event);
        }
    };
    const auto peg = [](int atRow, int index, int offset = 4) {
        return QPoint(80 + 16 * index + offset, 16 + 24 * (atRow - 1) + offset);
    };
    const auto checkTold = [&] {
        BoardWidget *board = windows.vantMain.isLoaded() ? &vant().board() : nullptr;
        if (toldBoard != board)
            told.clear();
        toldBoard = board;
        QAccessibleInterface *pane = QAccessible::queryAccessibleInterface(board);
        for (int i = -1; pane && i < pane->childCount(); ++i) {
            QAccessibleInterface *item = i < 0 ? pane : pane->child(i);
            if (i < 0 || !item->object()) // Qt's own buttons tell of themselves
                QCOMPARE(*told.insert(item, told.value(item, shown(item))), shown(item));
        }
    };
    const auto focus = [&]() -> QWidget * { // where a key goes, the main window at first
        return QApplication::focusWidget() ? QApplication::focusWidget() : &vant();
    };
    for (const QString &step : script.split(' ', Qt::SkipEmptyParts) + QStringList{QString()}) {
        settle();
        checkTold();
        if (QTest::currentTestFailed() || step.isEmpty()) {
            return;
        } else if (step[0].isDigit() || step[0] == 'k' || step[0] == 'a') {
            for (int index = 0; index < 4; ++index) {
                for (int n = 0; n < step.right(4)[index].digitValue(); ++n) {
                    if (step[0] == 'k')
                        QTest::keyClick(focus(), Qt::Key(Qt::Key_1 + index),
                                        n % 2 ? Qt::KeypadModifier : Qt::NoModifier);
                    else if (step[0] == 'a')
                        QAccessible::queryAccessibleInterface(&vant().board())
                            ->child(boardChildIndex(BoardItem::GuessPeg, row, index))
                            ->actionInterface()
                            ->doAction(QAccessibleActionInterface::pressAction());
                    else
                        click(n % 2 ? QEvent::MouseButtonDblClick : QEvent::MouseButtonPress,
                              peg(row, index, n % 3 * 4));
                }
            }
        } else if (step == "S") {
            for (int other = 1; other <= 10; ++other) {
                for (int index = 0; index < 4 && other != row; ++index) {
                    click(QEvent::MouseButtonPress, peg(other, index));
                }
            }
        } else if (step == "D") {
            click(QEvent::MouseButtonPress, peg(row, 0), peg(row, 1));
        } else if (step == "!") {
            vant().cyclePegColor(row, 4);
            vant().cyclePegColor(row, -1);
        } else if (step == "C" || step == "G") {
            clickButton(&vant(), step == "C" ? "CheckClicker" : "Command1");
            row = std::min(row + (step == "C" ? 1 : 0), 10);
        } else if (step == "E") {
            clickButton(windows.scoreAdder.window(), "Command1");
        } else if (step == "Y" || step == "X") {
            clickButton(windows.newGame.window(), step == "Y" ? "Command1" : "Command2");
            row = 1;
        } else if (step == "N" || step == "H") {
            QMenuBar *bar = vant().menuBar();
            const char *name = step == "N" ? "mnuNewGame" : "mnuHScores";
            QTest::mouseClick(bar, Qt::LeftButton, {},
                              bar->actionGeometry(bar->findChild<QAction *>(name)).center());
            processDeletes();
        } else if (const int key =
                       QStringList{"Tab", "Return", "Right", "Alt", "Enter"}.indexOf(step);
                   key >= 0) {
            const Qt::Key keys[] = {Qt::Key_Tab, Qt::Key_Return, Qt::Key_Right, Qt::Key_Alt,
                                    Qt::Key_Enter};
            const Qt::KeyboardModifier mods[] = {{}, {}, {}, Qt::AltModifier, Qt::KeypadModifier};
            QTest::keyClick(focus(), keys[key], mods[key]);
        } else if (step[0] == 'r') {
            random.value = std::min(step.mid(1).toDouble(), kJustBelowOne);
        } else {
            QFAIL(qPrintable("unknown step " + step));
        }
    }
}

namespace {

// One line per accessible item, with the places of text kept for the pixel comparison. Pegs are
// buttons too, but painted ones without a widget of their own; they must match exactly.
void describe(QAccessibleInterface *item, int depth, QStringList &lines, QList<QRect> &text)
{
    const QAccessible::State s = item->state();
    { // written into the last line until it goes
        QDebug line(&lines.emplaceBack());
        line << depth << item->role() << item->text(QAccessible::Name)
             << item->text(QAccessible::Value) << item->rect() << (s.disabled ? "disabled" : "")
             << (s.focused ? "focused" : "") << (s.invisible ? "hidden" : "")
             << item->text(QAccessible::Description);
        line << (item->actionInterface() ? item->actionInterface()->actionNames() : QStringList());
        for (const auto &[label, relation] : item->relations(QAccessible::Label))
            line << relation << label->text(QAccessible::Name);
    }
    const QAccessible::Role role = item->role();
    if (role == QAccessible::StaticText || role == QAccessible::MenuItem ||
        role == QAccessible::EditableText || role == QAccessible::Cell ||
        (role == QAccessible::Button && item->object())) {
        text << item->rect();
    }
    for (int i = 0; i < item->childCount(); ++i) {
        describe(item->child(i), depth + 1, lines, text);
    }
}

} // namespace

void expectScreen(const QString &name)
{
    settle();
    QScreen *screen = QGuiApplication::primaryScreen();
    QImage shot(screen->size(), QImage::Format_RGB32);
    shot.fill(QColor(0, 64, 64));
    QStringList lines;
    QList<QRect> text;
    for (QWindow *window : QGuiApplication::topLevelWindows()) {
        if (QWidget *widget = QWidget::find(window->winId()); widget && window->isVisible()) {
            // Paint what waits to be painted, and only that: a change that asked for no repaint
            // still shows its old pixels.
            QEvent paint(QEvent::UpdateRequest);
            QCoreApplication::sendEvent(widget, &paint);
            QPainter(&shot).drawPixmap(window->position(), screen->grabWindow(window->winId()));
            QDebug(&lines.emplaceBack())
                << widget->objectName() << widget->windowTitle() << widget->geometry()
                << widget->minimumSize() << widget->maximumSize() << widget->windowFlags();
            describe(QAccessible::queryAccessibleInterface(widget), 1, lines, text);
        }
    }
    const QString path =
        QFileInfo(QStringLiteral(__FILE__)).dir().filePath("../golden/" + name + ".png");
    shot.setText("Screen reader", lines.join('\n'));
    if (qEnvironmentVariableIsSet("VANTREL_UPDATE_GOLDEN")) {
        QVERIFY(shot.save(path));
        return;
    }
    const QImage golden(path);
    QVERIFY2(golden.size() == shot.size(), qPrintable(path));
    int wrong = lines == golden.text("Screen reader").split('\n') ? 0 : 1;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x) {
            const QRgb a = shot.pixel(x, y), b = golden.pixel(x, y);
            const int diff = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                       std::abs(qBlue(a) - qBlue(b))});
            const bool inText = diff > 0 && std::any_of(text.begin(), text.end(),
                                                        [&](QRect r) { return r.contains(x, y); });
            wrong += diff > (inText ? 64 : 0) ? 1 : 0;
        }
    }
    // The screen taken is kept for a look only when it differs, under a name of this process's.
    const QString actual = QDir::temp().filePath(
        QStringLiteral("vantrel-%1-%2.png").arg(QCoreApplication::applicationPid()).arg(name));
    if (wrong)
        shot.save(actual);
    QCOMPARE(lines, golden.text("Screen reader").split('\n'));
    QVERIFY2(!wrong, qPrintable(QString::number(wrong) + " pixels differ; see " + actual));
}
