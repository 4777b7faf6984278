#pragma once

#include "game/labelclicker.h"

#include <QMainWindow>
#include <QVariant>

struct Windows;
class BoardWidget;
class QPushButton;
class QAction;

// The main window and game board. Constructing it is its load step: Score back to 0, the
// guess cleared and a new secret code drawn with row 1 current.
class VantMain : public QMainWindow
{
    Q_OBJECT

public:
    explicit VantMain(Windows &windows);

    // Draws a new secret code into the game state and the hidden code pegs; row 1 becomes
    // current. `bleh` is never read.
    void RanDomColOrs(const QVariant &bleh);

    // A click on guess peg `index` of `row`: moves the shared guess field of that position
    // on to its next colour and paints the peg of that row.
    void cyclePegColor(int row, int index);

    BoardWidget &board() const { return *m_board; }

private:
    void checkColors();
    void showTurn(const LabelClicker::TurnResult &turn);
    void win(int row, const QString &score);
    void giveUp();

    Windows &m_windows;
    BoardWidget *m_board;
    QPushButton *m_checkClicker;
    QPushButton *m_giveUp;
};
