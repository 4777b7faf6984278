#include "game/labelclicker.h"

namespace LabelClicker {
namespace {

void writeKeyPeg(GameState &state, KeyPegCode code, int guessPos, int codePos)
{
    ++state.keyPegCount;
    state.keyPegs[state.keyPegCount] = code;
    state.guessPegUsed[guessPos] = kTrue;
    state.codePegUsed[codePos] = kTrue;
    state.score = static_cast<std::int16_t>(state.score + static_cast<std::int16_t>(code));
}

bool matches(const GameState &state, int guessPos, int codePos)
{
    return state.guessColor[guessPos] == state.codeColor[codePos] &&
           state.guessPegUsed[guessPos] == kFalse && state.codePegUsed[codePos] == kFalse;
}

} // namespace

void prepareForScoring(GameState &state)
{
    state.keyPegs.fill(KeyPegCode::Empty);
    state.guessPegUsed.fill(kFalse);
    state.codePegUsed.fill(kFalse);
    state.keyPegCount = -1;
}

void scoreGuess(GameState &state)
{
    for (int p = 0; p < kPegsPerRow; ++p) {
        if (matches(state, p, p)) {
            writeKeyPeg(state, KeyPegCode::RightPlace, p, p);
        }
    }
    // Each guess position tries the other code positions from left to right and takes the
    // first free one of its colour; the order only decides which code position is used up.
    for (int g = 0; g < kPegsPerRow; ++g) {
        for (int p = 0; p < kPegsPerRow; ++p) {
            if (p != g && matches(state, g, p)) {
                writeKeyPeg(state, KeyPegCode::RightColor, g, p);
                break;
            }
        }
    }
}

} // namespace LabelClicker
