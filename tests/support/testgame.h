#pragma once

#include "tests/support/fixedrandom.h"
#include "ui/windows.h"

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>

class VantMain;
class BoardWidget;
class QWidget;

struct Message
{
    QString title;
    QString text;
};

// A whole game with stubbed services: a fixed random source, message boxes recorded instead
// of shown, and the high-score file in a temporary folder.
struct TestGame
{
    TestGame();
    ~TestGame();

    LabelClicker::GameState state;
    FixedRandomSource random;
    QTemporaryDir dir;
    QList<Message> messages;
    Services services;
    Windows windows;

    VantMain &main(); // shows (loading if needed) the main window
    BoardWidget &board();
    void clickPeg(int row, int index); // a real mouse click on the peg's centre
    void clickButton(QWidget *window, const char *name);
    void setGuess(int row, const QList<int> &colours); // clicks each peg up to the colour
    void checkColors();
    QString scoreCaption();
    // The top-level widgets that are still visible (the windows a player would see).
    static QStringList visibleWindows();
};

QPoint pegCentre(int row, int index);
void processDeletes();
// The bytes of a file, or "<missing>" when there is none.
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);
