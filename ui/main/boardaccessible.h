#pragma once

#include <QAccessibleWidget>

#include <vector>

class BoardWidget;

// Lets a screen reader follow the painted board: every label, guess peg, key peg and code
// peg is a child with a name such as "Guess 3, peg 2: red".
class BoardAccessible : public QAccessibleWidget
{
public:
    explicit BoardAccessible(BoardWidget *board);
    ~BoardAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;

    // Installs the factory that gives every BoardWidget this interface.
    static void install();

private:
    mutable std::vector<QAccessible::Id> m_children;
};
