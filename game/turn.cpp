#include "game/labelclicker.h"

#include <algorithm>

namespace LabelClicker {

std::array<KeyPegCode, kPegsPerRow> scrambleKeyPegs(GameState &state, RandomSource &random)
{
    std::array<KeyPegCode, kPegsPerRow> shown{};
    // Position k takes one of slots 0 to m - 1 and parks the value in slot m, so only six
    // of the twenty-four orders can come up. The reds, whites and greys stay exact.
    int m = kPegsPerRow - 1;
    for (int k = 0; k < kPegsPerRow; ++k) {
        random.reseedFromClock();
        const int r = scaledDraw(random.next(), m);
        const KeyPegCode v = state.keyPegs[r];
        shown[k] = v;
        if (v == KeyPegCode::Empty) {
            state.score = static_cast<std::int16_t>(state.score + 3);
        }
        state.keyPegs[r] = state.keyPegs[m];
        state.keyPegs[m] = v;
        --m;
    }
    return shown;
}

TurnResult evaluateTurn(GameState &state, RandomSource &random)
{
    prepareForScoring(state);
    TurnResult result;
    result.row = state.currentRow;
    if (result.row >= 2) {
        state.score = static_cast<std::int16_t>(state.score + 5);
    }
    scoreGuess(state);
    result.shown = scrambleKeyPegs(state, random);

    const bool won = std::all_of(state.keyPegs.begin(), state.keyPegs.end(),
                                 [](KeyPegCode k) { return k == KeyPegCode::RightPlace; });
    if (won) {
        result.outcome = TurnOutcome::Won;
    } else if (result.row < kRows) {
        result.outcome = TurnOutcome::NextRow;
        state.guessColor.fill(ColorCode::None);
        state.currentRow = static_cast<std::int16_t>(result.row + 1);
    } else {
        result.outcome = TurnOutcome::Lost;
        state.currentRow = kRows + 1;
    }
    return result;
}

} // namespace LabelClicker
