#pragma once
// The largest skin any backend takes: a larger picture fits no screen and
// would only cost memory. Such a file is refused as too large, so that the
// user is told why rather than that it is invalid.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/RuntimeError.h"

namespace tamrel {

inline constexpr std::int64_t kMaxPictureSide = 32767;
inline constexpr std::int64_t kMaxPicturePixels = std::int64_t{1} << 26;
inline constexpr const char* kPictureTooLarge = "Picture too large";

inline bool PictureTooLarge(std::int64_t width, std::int64_t height) {
    return width > kMaxPictureSide || height > kMaxPictureSide || width * height > kMaxPicturePixels;
}

// The headers of a .bmp file declare a picture larger than that. The info
// header and its successors hold width and height as signed 32-bit numbers
// at 18 and 22; a negative height is a top-down picture.
inline bool BitmapDeclaresTooLarge(std::string_view file) {
    constexpr std::uint32_t kCoreHeader = 12;
    if (file.size() < 26 || file.substr(0, 2) != "BM") return false;
    const auto u32 = [&](std::size_t at) {
        std::uint32_t value = 0;
        for (std::size_t i = 0; i < 4; ++i) value |= std::uint32_t{static_cast<unsigned char>(file[at + i])} << (8 * i);
        return value;
    };
    if (u32(14) <= kCoreHeader) return false;
    const std::int64_t width = static_cast<std::int32_t>(u32(18));
    const std::int64_t height = static_cast<std::int32_t>(u32(22));
    return width > 0 && PictureTooLarge(width, height < 0 ? -height : height);
}

inline RuntimeError PictureTooLargeError(const std::string& path) {
    return RuntimeError(error::kInvalidPicture, std::string(kPictureTooLarge) + ": " + path);
}

}  // namespace tamrel
