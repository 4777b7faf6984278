#pragma once

#include "ui/dialogs/framelessdialog.h"

struct Windows;

// "Play again?": Yes starts a new game on a fresh main window, No just closes.
class NewGame : public FramelessDialog
{
    Q_OBJECT

public:
    explicit NewGame(Windows &windows);

private:
    Windows &m_windows;
};
