#pragma once

#include <QAccessibleWidget>

#include <vector>

class BoardWidget;
struct BoardState;

// Lets a screen reader follow the painted board: every row label, guess peg, key peg and code
// peg is a child with a name such as "peg 2: red"; a row label reads its whole row as one
// sentence. The guess pegs that a click would cycle offer the press action, and the board's
// description says how a finished game ended.
class BoardAccessible : public QAccessibleWidget
{
public:
    explicit BoardAccessible(BoardWidget *board);
    ~BoardAccessible() override;

    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // What "Check Colors" showed on `row`, said in one go: "1 red, 1 white, 2 grey. Score 5.
    // Guess 2 is current."
    static QString turnSummary(const BoardState &state, int row);
    // The code as revealed and how the game ended: "Code: red, red, blue, green. Game over: ..."
    static QString codeSummary(const BoardState &state);

    // Installs the factory that gives every BoardWidget this interface, and the game's dialogs
    // their role.
    static void install();

private:
    mutable std::vector<QAccessible::Id> m_children;
};
