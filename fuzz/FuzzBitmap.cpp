// Feeds arbitrary bytes to the bitmap reader: it must refuse or decode, and
// never read outside the bytes it was given.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "platform/win32/BitmapFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const auto pixels = tamrel::bitmap::Decode(std::string_view(reinterpret_cast<const char*>(data), size));
    if (pixels && (pixels->width <= 0 || pixels->height <= 0 ||
                   pixels->rows.size() != static_cast<std::size_t>(pixels->width) * pixels->height)) {
        std::abort();
    }
    return 0;
}
