#pragma once

#include "ui/main/boardstate.h"

#include <QAccessible>
#include <QFont>
#include <QWidget>

#include <array>
#include <optional>

// The board of the main window: row labels, grid lines, guess pegs, key pegs, code pegs and
// the score, painted in their stacking order from one BoardState. Clicks on an enabled
// click target of a guess peg are reported as pegClicked(row, index); so are the keys 1 to 4
// while the board's window is active, and the screen reader's press on a guess peg. Every
// change is told to the screen reader as well, whose focus follows the peg acted on.
class BoardWidget : public QWidget
{
    Q_OBJECT

public:
    explicit BoardWidget(QWidget *parent = nullptr);

    const BoardState &state() const { return m_state; }

    void setColorPegFill(int row, int index, const QColor &fill);
    void setPegGuessFill(int row, int index, const QColor &fill);
    void setCompColorFill(int index, const QColor &fill);
    void setCompColorVisible(int index, bool visible);
    void setPegCoverEnabled(int row, int index, bool enabled);
    void setLabelBold(int row, bool bold);
    void setScoreCaption(const QString &caption);
    // The first end of a game is kept: giving up after a loss does not make it a give-up.
    void setGameEnd(GameEnd end);

    // A click on the target of guess peg `index` of `row`: reported only while it is enabled.
    // The screen reader's focus moves to that peg, so that its new colour is read.
    void clickTarget(int row, int index);
    // The child with the screen reader's focus: the peg last acted on until the keyboard focus
    // moves or the board tells something; -1 when the focus widget has it.
    int accessibleFocus() const { return m_accessibleFocus; }
    // Has `focused`, the widget with the keyboard focus, say `text` as its description, the
    // screen reader's focus given back to it.
    void tell(QWidget *focused, const QString &text);

    // The enabled click target under a point, as (row, index).
    std::optional<std::pair<int, int>> targetAt(QPoint pos) const;

signals:
    void pegClicked(int row, int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    void announce(BoardItem item, int row, int index, QAccessible::Event type);
    void announceState(BoardItem item, int row, int index, QAccessible::State change);
    static void focusAnew(QWidget *widget, int child);
    void fitRowFont(int row, bool bold);

    BoardState m_state;
    std::optional<std::pair<int, int>> m_pressed;
    int m_accessibleFocus = -1;
    // Fonts fitted to their boxes once, not on every paint: [row - 1][bold]; a default font
    // until fitted.
    std::array<std::array<QFont, 2>, LabelClicker::kRows> m_rowFonts;
    QFont m_scoreTitleFont;
    QFont m_scoreFont;
};
