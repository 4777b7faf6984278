#pragma once

#include "game/labelclicker.h"

#include <QColor>
#include <QPoint>
#include <QRect>
#include <QString>

#include <array>

// The colours of the board.
inline const QColor kLightGrey(192, 192, 192);

QColor colorOf(LabelClicker::ColorCode code);
QColor colorOf(LabelClicker::KeyPegCode code);
QString colorName(LabelClicker::ColorCode code);
QString colorName(LabelClicker::KeyPegCode code);

// One shape of a group of four: its fill colour and whether it is shown.
struct ShapeItem
{
    QColor fill = kLightGrey;
    bool visible = true;
};
using Group4 = std::array<ShapeItem, LabelClicker::kPegsPerRow>;

// How the game on the board ended. Only a screen reader is told: the board looks the same.
enum class GameEnd { Playing, Won, Lost, GivenUp };

// Everything on the board that changes while a game is played. Row r is at index r - 1.
struct BoardState
{
    BoardState();

    std::array<Group4, LabelClicker::kRows> colorPeg; // guess pegs
    std::array<Group4, LabelClicker::kRows> pegGuess; // key pegs
    Group4 compColors;                                // the secret code, hidden at first
    std::array<std::array<bool, LabelClicker::kPegsPerRow>, LabelClicker::kRows> pegCoverEnabled{};
    std::array<bool, LabelClicker::kRows> labelBold{};
    std::array<bool, LabelClicker::kRows> scored{}; // key pegs set, even if all grey
    QString scoreCaption = QStringLiteral("0");
    GameEnd end = GameEnd::Playing;
};

// The painted items a screen reader reads, each a child of the board's accessible interface:
// per row (1 to 10) its label, four guess pegs and four key pegs (index 0 to 3), then the
// code pegs and the score.
enum class BoardItem { RowLabel, GuessPeg, KeyPeg, CodePeg, ScoreTitle, Score };
int boardChildIndex(BoardItem item, int row = 0, int index = 0);

// The board's geometry in pixels of the client area, at 96 dpi.
namespace BoardGeometry {
constexpr int kWidth = 226;
constexpr int kHeight = 303;
constexpr int kPegSize = 9;
constexpr int kPegLeft = 80;     // guess pegs and click targets, column 0
constexpr int kKeyPegLeft = 152; // key pegs and code pegs, column 0
constexpr int kColumnPitch = 16;
constexpr int kRowTop = 16; // row 1's labels, pegs and targets
constexpr int kRowPitch = 24;
constexpr int kCodeTop = 248; // the code pegs sit on the grid's bottom line
constexpr int kGridLeft = 8, kGridRight = 216, kGridTop = 8, kGridBottom = 248;

inline int rowTop(int row)
{
    return kRowTop + kRowPitch * (row - 1);
}
inline QRect guessPegRect(int row, int index)
{
    return {kPegLeft + kColumnPitch * index, rowTop(row), kPegSize, kPegSize};
}
inline QRect keyPegRect(int row, int index)
{
    return {kKeyPegLeft + kColumnPitch * index, rowTop(row), kPegSize, kPegSize};
}
inline QRect codePegRect(int index)
{
    return {kKeyPegLeft + kColumnPitch * index, kCodeTop, kPegSize, kPegSize};
}
// "Guess #10:" is wider and starts at the window's edge, but shares the others' centre line.
inline QRect rowLabelRect(int row)
{
    return row == 10 ? QRect(0, rowTop(row), 81, 17) : QRect(8, rowTop(row), 65, 17);
}
inline const QRect kScoreTitleRect{8, 256, 57, 17};
inline const QRect kScoreRect{72, 256, 49, 17};
inline const QRect kCheckRect{128, 256, 89, 17};
inline const QRect kGiveUpRect{128, 280, 89, 17};
} // namespace BoardGeometry
