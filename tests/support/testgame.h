#pragma once

#include "game/randomsource.h"
#include "ui/windows.h"

#include <QList>
#include <QPoint>
#include <QStringList>
#include <QTemporaryDir>

#include <cmath>

// Returns a fixed r and counts the reseeds.
class FixedRandomSource final : public LabelClicker::RandomSource
{
public:
    explicit FixedRandomSource(double r = 0.0) : value(r) {}
    void reseedFromClock() override { ++reseeds; }
    double next() override { return value; }

    double value;
    int reseeds = 0;
};

inline const double kJustBelowOne = std::nextafter(1.0, 0.0);

class VantMain;
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
    int row = 1; // the row the player is on, as far as play() knows
    // What a screen reader said that reads what takes the focus: its name, and its description.
    static inline QStringList heard;

    VantMain &main(); // shows (loading if needed) the main window
    void clickButton(QWidget *window, const char *name);
    // The top-level widgets that are still visible (the windows a player would see).
    static QStringList visibleWindows();

    // Plays what a player does, one step per word:
    //   1340  clicks the pegs of the current row 1, 3, 4 and 0 times: quick clicks, so every
    //         second one on a peg arrives as a double-click; they land on the peg's top-left
    //         pixel, its centre and its bottom-right pixel in turn
    //   S     one click on every peg of every other row    D  press on peg 0, release on peg 1
    //   k1340 the same with the keys 1 to 4, every second press on the keypad
    //   a1340 the same with the screen reader's press action
    //   C     "Check Colors"   G  "Im Baffled!!"   Tab, Return, Enter (keypad), Alt, Right: that
    //   key N, H  the menu entries "New Game", "High Scores" Y, X  "Yes", "No" in the play-again
    //   dialog   E  "Enter Name" in the score dialog !     peg indexes 4 and -1 of the current row,
    //   which no click can give r0.5  the random source gives 0.5 from now on (r1: just below 1)
    // After every step, what the screen reader was told of the board must be what it shows.
    void play(const QString &script);
};

void processDeletes();
// The bytes of a file, or "<missing>" when there is none.
QByteArray readFile(const QString &path);
void writeFile(const QString &path, const QByteArray &bytes);

// Compares what the player sees with tests/golden/<name>.png: every visible window as last
// painted, where it stands on the offscreen screen, and what a screen reader reads out of it
// (kept in the image as its text "Screen reader"). Only pixels inside text may differ a
// little, for font rendering. A screen that differs is saved as vantrel-<pid>-<name>.png in the
// temporary folder. VANTREL_UPDATE_GOLDEN=1 rewrites the golden images instead: look at them before
// committing them.
void expectScreen(const QString &name);
