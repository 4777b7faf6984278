#pragma once

#include "ui/dialogs/framelessdialog.h"

struct Windows;
class QLineEdit;
class QPushButton;

// Asks a winner for a name and adds "<score> - <name>" to the high-score list.
class ScoreAdder : public FramelessDialog
{
    Q_OBJECT

public:
    explicit ScoreAdder(Windows &windows);

    // "Enter Name": the entry goes into the list window, which opens, and the dialog unloads.
    void enterName();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    Windows &m_windows;
    // The score shown when the dialog opened: a new game started meanwhile resets Score,
    // but the entry records what this winner earned.
    int m_score;
    QLineEdit *m_name;
    QPushButton *m_enterName;
};
