#include "game/labelclicker.h"

namespace LabelClicker {

std::optional<ColorCode> cyclePegColor(GameState &state, int index)
{
    if (index < 0 || index >= kPegsPerRow) {
        return std::nullopt;
    }
    // The next colour follows the stored value, never what the peg happens to show.
    ColorCode &field = state.guessColor[index];
    const auto value = static_cast<std::int16_t>(field);
    field = static_cast<ColorCode>(value == 4 ? 1 : value + 1);
    return field;
}

} // namespace LabelClicker
