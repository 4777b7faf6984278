#pragma once

// The rules of the game: the one game-state record, the colour codes, the draw of the secret
// code, peg colour cycling, guess scoring and the evaluation of a turn. Nothing here paints,
// shows a box or reads a clock; the main window calls these and shows what they return.

#include "game/randomsource.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>

namespace LabelClicker {

// Colour of a guess or code peg. None keeps the peg at its designed light grey.
enum class ColorCode : std::int16_t { None = 0, Yellow = 1, Red = 2, Green = 3, Blue = 4 };

// What one key peg shows: Empty is light grey (3 points), RightPlace red (1 point),
// RightColor white (2 points).
enum class KeyPegCode : std::int16_t { Empty = 0, RightPlace = 1, RightColor = 2 };

// A game flag: 0 is false, -1 (all bits set) is true; any non-zero value reads as true.
using Flag = std::int16_t;
constexpr Flag kFalse = 0;
constexpr Flag kTrue = -1;

constexpr int kPegsPerRow = 4;
constexpr int kRows = 10;
constexpr int kBagSize = 32; // only slots 0 to 15 are ever used
constexpr int kBagInUse = 16;

// The one record of game variables. It lives as long as the process and survives the
// main window coming and going; only the main window's load step resets part of it.
// Arrays are indexed by board position 0 to 3, left to right.
struct GameState
{
    std::int16_t score = 0;
    std::string playerName;
    std::int16_t currentRow = 0;
    std::int16_t keyPegCount = 0;
    std::array<ColorCode, kPegsPerRow> guessColor{};
    std::array<ColorCode, kPegsPerRow> codeColor{};
    std::array<Flag, kPegsPerRow> guessPegUsed{};
    std::array<Flag, kPegsPerRow> codePegUsed{};
    std::array<ColorCode, kBagSize> colorBag{};
    std::array<ColorCode, kPegsPerRow> codeValues{};
    std::array<KeyPegCode, kPegsPerRow> keyPegs{};
};

// Draws a new secret code into codeValues and codeColor and makes row 1 current.
// This is the rules half of VantMain::RanDomColOrs.
void drawSecretCode(GameState &state, RandomSource &random);

// Moves guess position `index` on to its next colour (yellow, red, green, blue, yellow)
// and returns it. An index outside 0 to 3 changes nothing and returns nothing.
std::optional<ColorCode> cyclePegColor(GameState &state, int index);

// Clears the key pegs, the matched flags and the key-peg counter before a guess is scored.
void prepareForScoring(GameState &state);

// Scores guessColor against codeColor: first every right position, then every right colour,
// writing key pegs to keyPegs and adding 1 or 2 points for each.
void scoreGuess(GameState &state);

// Shows the four scored key pegs in a scrambled order, reseeding before each of the four
// draws; adds 3 points for each grey one. Returns them in display order, left to right.
std::array<KeyPegCode, kPegsPerRow> scrambleKeyPegs(GameState &state, RandomSource &random);

enum class TurnOutcome { NextRow, Won, Lost };

struct TurnResult
{
    int row = 0;                                 // the row that was evaluated
    std::array<KeyPegCode, kPegsPerRow> shown{}; // key pegs, left to right
    TurnOutcome outcome = TurnOutcome::NextRow;
};

// The rules of one press of "Check Colors": scores the current row, charges its points,
// and either wins, hands over to the next row (clearing the guess), or loses on row 10
// (current row 11). The window applies the result to the board.
TurnResult evaluateTurn(GameState &state, RandomSource &random);

} // namespace LabelClicker
