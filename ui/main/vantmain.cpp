#include "ui/main/vantmain.h"

#include "ui/controls.h"
#include "ui/dialogs/hscorelist.h"
#include "ui/dialogs/newgame.h"
#include "ui/dialogs/scoreadder.h"
#include "ui/fonts.h"
#include "ui/main/boardaccessible.h"
#include "ui/main/boardwidget.h"
#include "ui/placement.h"
#include "ui/windows.h"

#include <QAction>
#include <QLayout>
#include <QMenuBar>
#include <QPushButton>

using namespace BoardGeometry;
using LabelClicker::ColorCode;
using LabelClicker::TurnOutcome;

namespace {

QAction *addMenuEntry(QMenuBar *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QString::fromLatin1(name));
    return action;
}

} // namespace

VantMain::VantMain(Windows &windows) : m_windows(windows)
{
    setObjectName(QStringLiteral("VantMain"));
    setWindowTitle(QStringLiteral("Vantrel"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    askForFrame(*this); // answered while the board is built

    setMenuBar(makeMenuBar());
    QMenuBar *menu = menuBar();
    menu->setNativeMenuBar(false);
    menu->setFont(gameFont());
    QAction *newGame = addMenuEntry(menu, "mnuNewGame", QStringLiteral("New Game"));
    QAction *highScores = addMenuEntry(menu, "mnuHScores", QStringLiteral("High Scores"));
    addMenuEntry(menu, "mnuRand", QStringLiteral("Rand"))->setEnabled(false);
    connect(newGame, &QAction::triggered, this, [this] {
        m_windows.newGame.show();
        m_windows.vantMain.unload();
    });
    connect(highScores, &QAction::triggered, this, [this] { m_windows.hScoreList.show(); });

    BoardAccessible::install();
    m_board = new BoardWidget(this);
    m_board->setAccessibleName(QStringLiteral("Board"));
    setCentralWidget(m_board);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(m_board, &BoardWidget::pegClicked, this, &VantMain::cyclePegColor);

    m_checkClicker =
        makePushButton(m_board, "CheckClicker", QStringLiteral("Check Colors"), kCheckRect);
    m_giveUp = makePushButton(m_board, "Command1", QStringLiteral("Im Baffled!!"), kGiveUpRect);
    setTabOrder(m_checkClicker, m_giveUp);
    m_checkClicker->setFocus();
    connect(m_checkClicker, &QPushButton::clicked, this, &VantMain::checkColors);
    connect(m_giveUp, &QPushButton::clicked, this, &VantMain::giveUp);

    // Load step. The stored guess is cleared too, so that it always matches the fresh board.
    LabelClicker::GameState &state = m_windows.services.state;
    state.score = 0;
    state.guessColor.fill(ColorCode::None);
    RanDomColOrs(QVariant());

    centreOnScreen(*this);
    // A winner's dialog still waiting for a name stays above the fresh board: it is made the
    // board's own before the board is mapped, so that no window manager puts the board on top.
    if (ScoreAdder *waiting = m_windows.scoreAdder.window()) {
        waiting->stayAbove(*this);
    }
}

void VantMain::RanDomColOrs(const QVariant &bleh)
{
    Q_UNUSED(bleh);
    LabelClicker::GameState &state = m_windows.services.state;
    LabelClicker::drawSecretCode(state, m_windows.services.random);
    for (int i = 0; i < LabelClicker::kPegsPerRow; ++i) {
        m_board->setCompColorFill(i, colorOf(state.codeValues[i]));
    }
}

void VantMain::cyclePegColor(int row, int index)
{
    const auto colour = LabelClicker::cyclePegColor(m_windows.services.state, index);
    if (!colour) {
        m_windows.services.message(QStringLiteral("Variable Problem"),
                                   QStringLiteral("An Error occured with the program. Values from "
                                                  "now on are most likely Incorrect."));
        return;
    }
    m_board->setColorPegFill(row, index, colorOf(*colour));
}

void VantMain::checkColors()
{
    LabelClicker::GameState &state = m_windows.services.state;
    if (state.currentRow < 1 || state.currentRow > LabelClicker::kRows) {
        return; // the game is over; the button is disabled by then
    }
    const LabelClicker::TurnResult turn =
        LabelClicker::evaluateTurn(state, m_windows.services.random);
    showTurn(turn);
    // Said by the button with the focus, before a message box takes it.
    if (QWidget *focused = focusWidget()) {
        m_board->tell(focused, BoardAccessible::turnSummary(m_board->state(), turn.row));
    }
    const QString score = QString::number(state.score);
    if (turn.outcome == TurnOutcome::Won) {
        win(turn.row, score);
    } else if (turn.outcome == TurnOutcome::Lost) {
        m_windows.services.message(
            QStringLiteral("Looser!"),
            QStringLiteral("You Loose! Your Score is: ") + score +
                QStringLiteral(
                    ". Are you going to let the computer beat you like that? Try again!"));
    }
}

// The board after a check: the key pegs, the score, and the next row current or the game over.
// Row 10 is left un-bolded and disabled whatever the outcome.
void VantMain::showTurn(const LabelClicker::TurnResult &turn)
{
    const int row = turn.row;
    for (int k = 0; k < LabelClicker::kPegsPerRow; ++k) {
        m_board->setPegGuessFill(row, k, colorOf(turn.shown[k]));
    }
    const bool next = turn.outcome == TurnOutcome::NextRow;
    if (row == LabelClicker::kRows || next) {
        m_board->setLabelBold(row, false);
        for (int i = 0; i < LabelClicker::kPegsPerRow; ++i) {
            m_board->setPegCoverEnabled(row, i, false);
        }
    }
    if (next) {
        m_board->setLabelBold(row + 1, true);
        for (int i = 0; i < LabelClicker::kPegsPerRow; ++i) {
            m_board->setPegCoverEnabled(row + 1, i, true);
        }
    } else {
        m_checkClicker->setEnabled(false);
    }
    m_board->setScoreCaption(QString::number(m_windows.services.state.score));
    if (!next) {
        m_board->setGameEnd(turn.outcome == TurnOutcome::Won ? GameEnd::Won : GameEnd::Lost);
    }
}

// A win on rows 1 to 9 leaves its row bold and its pegs clickable; nothing can be checked any
// more. The score dialog opens, and after a win on row 1 the board goes.
void VantMain::win(int row, const QString &score)
{
    m_windows.services.message(QStringLiteral("You Win!"),
                               QStringLiteral("YOU WIN!!! Your Score is: ") + score);
    // A winner of an earlier game still waiting to type a name keeps that entry, with the
    // name as the box stands, before the dialog opens for this win.
    if (ScoreAdder *waiting = m_windows.scoreAdder.window()) {
        waiting->enterName();
    }
    // The dialog stays above the board that is left loaded beside it after a later win.
    m_windows.scoreAdder.show(row == 1 ? nullptr : this);
    if (row == 1) {
        m_windows.vantMain.unload();
    }
}

void VantMain::giveUp()
{
    for (int i = 0; i < LabelClicker::kPegsPerRow; ++i) {
        m_board->setCompColorVisible(i, true);
    }
    m_checkClicker->setEnabled(false);
    m_board->setScoreCaption(QStringLiteral("0"));
    m_board->setGameEnd(GameEnd::GivenUp);
    if (QWidget *focused = focusWidget()) {
        m_board->tell(focused, BoardAccessible::codeSummary(m_board->state()));
    }
}
