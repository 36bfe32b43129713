#pragma once
// The toolkit's colour record is the editor seam's Colour (alpha, red, green,
// blue, each 0..255). These are the named colours the pages use.

#include "core/EditorSeam.h"

namespace tolvane::colours {

inline constexpr Colour kBlack{255, 0, 0, 0};
inline constexpr Colour kWhite{255, 255, 255, 255};
inline constexpr Colour kTransparent{0, 0, 0, 0};
inline constexpr Colour kDarkGrey{255, 70, 70, 70};
inline constexpr Colour kLightGrey{255, 240, 240, 240};
inline constexpr Colour kGrey200{255, 200, 200, 200};
inline constexpr Colour kFaintBlack{10, 0, 0, 0};
inline constexpr Colour kGreen{255, 0, 255, 0};
inline constexpr Colour kBlue{255, 0, 0, 255};

} // namespace tolvane::colours
