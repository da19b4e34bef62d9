#pragma once
// Our own reader of .bmp files. It trusts nothing in the headers: every
// size, offset, stride and colour table is checked against the bytes the
// file really holds before a pixel is read, so a truncated or forged file
// is refused instead of being read past its end. Portable: it needs no
// system headers, so the fuzz target builds it for any host.

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/PictureLimits.h"

namespace tamrel::bitmap {

inline constexpr std::int64_t kMaxPixels = kMaxPicturePixels;
inline constexpr std::int64_t kMaxSide = kMaxPictureSide;

struct Pixels {
    int width = 0;
    int height = 0;
    // Top row first; each pixel 0x00RRGGBB, as a 32-bit top-down DIB has it.
    std::vector<std::uint32_t> rows;
};

// The picture, or nothing when the bytes are not a whole, readable bitmap.
std::optional<Pixels> Decode(std::string_view file);

}  // namespace tamrel::bitmap
