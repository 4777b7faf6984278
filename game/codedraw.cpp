#include "game/labelclicker.h"

#include <utility>

namespace LabelClicker {

void drawSecretCode(GameState &state, RandomSource &random)
{
    state.currentRow = 1;
    for (int k = 0; k < kBagInUse; ++k) {
        state.colorBag[k] = static_cast<ColorCode>(k % 4 + 1);
    }
    // Draw i picks among slots 0 to n - 1; slot n itself is never drawn. This skews each
    // position away from the colour sitting in slot n (position 0 is blue only 3 in 15).
    int n = kBagInUse - 1;
    for (int i = 0; i < kPegsPerRow; ++i) {
        random.reseedFromClock();
        const int x = scaledDraw(random.next(), n);
        const ColorCode v = state.colorBag[x];
        state.codeValues[i] = v;
        std::swap(state.colorBag[x], state.colorBag[n]);
        --n;
    }
    state.codeColor = state.codeValues;
}

} // namespace LabelClicker
