#pragma once

#include <QAccessibleWidget>

#include <vector>

class BoardWidget;

// Lets a screen reader follow the painted board: every label, guess peg, key peg and code
// peg is a child with a name such as "Guess 3, peg 2: red". The guess pegs that a click
// would cycle offer the press action, and the board's description says how a finished
// game ended.
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

    // The painted items, and the child that shows one of them (row 1 to 10, index 0 to 3).
    enum class Item { RowLabel, GuessPeg, KeyPeg, CodePeg, ScoreTitle, Score };
    static int childIndex(Item item, int row = 0, int index = 0);

    // Installs the factory that gives every BoardWidget this interface.
    static void install();

private:
    mutable std::vector<QAccessible::Id> m_children;
};
