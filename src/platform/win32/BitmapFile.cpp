#include "platform/win32/BitmapFile.h"

#include <bit>

namespace tamrel::bitmap {

namespace {

constexpr std::uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;
constexpr std::int64_t kFileHeader = 14;
constexpr std::int64_t kCoreHeader = 12, kInfoHeader = 40;

class Bytes {
public:
    explicit Bytes(std::string_view data) : data_(data) {}
    std::int64_t Size() const { return static_cast<std::int64_t>(data_.size()); }
    bool Holds(std::int64_t at, std::int64_t count) const {
        return at >= 0 && count >= 0 && at <= Size() && count <= Size() - at;
    }
    std::uint8_t U8(std::int64_t at) const { return static_cast<std::uint8_t>(data_[static_cast<std::size_t>(at)]); }
    std::uint32_t U16(std::int64_t at) const { return U8(at) | (std::uint32_t{U8(at + 1)} << 8); }
    std::uint32_t U32(std::int64_t at) const { return U16(at) | (U16(at + 2) << 16); }
    std::int32_t S32(std::int64_t at) const { return static_cast<std::int32_t>(U32(at)); }

private:
    std::string_view data_;
};

// One colour channel of a bit-field pixel, scaled to 8 bits.
class Channel {
public:
    explicit Channel(std::uint32_t mask)
        : mask_(mask), shift_(mask ? std::countr_zero(mask) : 0), max_(mask ? mask >> shift_ : 0) {}
    std::uint32_t Of(std::uint32_t pixel) const {
        if (max_ == 0) return 0;
        const std::uint64_t value = (pixel & mask_) >> shift_;
        return static_cast<std::uint32_t>(value * 255 / max_);
    }

private:
    std::uint32_t mask_;
    int shift_;
    std::uint32_t max_;
};

struct Fields {
    Channel red, green, blue;
    std::uint32_t Of(std::uint32_t pixel) const { return red.Of(pixel) << 16 | green.Of(pixel) << 8 | blue.Of(pixel); }
};

struct Layout {
    std::int64_t width = 0, height = 0;
    bool topDown = false;
    unsigned bits = 0;
    std::uint32_t compression = kRgb;
    std::int64_t pixelsAt = 0;
    std::int64_t imageSize = 0;
    std::uint32_t masks[3] = {};
    std::vector<std::uint32_t> palette;
};

// Reads and checks everything the headers declare; pixels are not touched.
std::optional<Layout> ReadLayout(const Bytes& file) {
    if (!file.Holds(0, kFileHeader + 4) || file.U8(0) != 'B' || file.U8(1) != 'M') return std::nullopt;
    const std::int64_t declaredSize = file.U32(2);
    if (declaredSize > file.Size()) return std::nullopt;  // cut short
    Layout layout;
    layout.pixelsAt = file.U32(10);
    const std::int64_t headerSize = file.U32(kFileHeader);
    if (!file.Holds(kFileHeader, headerSize)) return std::nullopt;
    std::int64_t paletteEntry = 4;
    std::uint32_t planes = 0, colours = 0;
    std::int64_t tableAt = kFileHeader + headerSize;
    if (headerSize == kCoreHeader) {
        layout.width = file.U16(18);
        layout.height = file.U16(20);
        planes = file.U16(22);
        layout.bits = file.U16(24);
        paletteEntry = 3;
    } else if (headerSize == kInfoHeader || headerSize == 52 || headerSize == 56 || headerSize == 108 ||
               headerSize == 124) {
        layout.width = file.S32(18);
        const std::int64_t height = file.S32(22);
        layout.topDown = height < 0;
        layout.height = height < 0 ? -height : height;
        planes = file.U16(26);
        layout.bits = file.U16(28);
        layout.compression = file.U32(30);
        layout.imageSize = file.U32(34);
        colours = file.U32(46);
        if (layout.compression == kBitFields) {
            // A plain info header keeps its three masks after it, where a
            // later header holds them itself.
            const std::int64_t masksAt = kFileHeader + kInfoHeader;
            if (headerSize == kInfoHeader) {
                if (!file.Holds(masksAt, 12)) return std::nullopt;
                tableAt += 12;
            }
            for (int i = 0; i < 3; ++i) layout.masks[i] = file.U32(masksAt + 4 * i);
        }
    } else {
        return std::nullopt;
    }
    if (planes != 1 || layout.width <= 0 || layout.height <= 0 || layout.width > kMaxSide ||
        layout.height > kMaxSide || layout.width * layout.height > kMaxPixels) {
        return std::nullopt;
    }
    switch (layout.compression) {
        case kRgb:
            if (layout.bits != 1 && layout.bits != 4 && layout.bits != 8 && layout.bits != 16 &&
                layout.bits != 24 && layout.bits != 32) {
                return std::nullopt;
            }
            break;
        case kRle8:
        case kRle4:
            // Run-length pictures are bottom-up only, of their own depth.
            if (layout.topDown || layout.bits != (layout.compression == kRle8 ? 8u : 4u)) return std::nullopt;
            break;
        case kBitFields:
            if (layout.bits != 16 && layout.bits != 32) return std::nullopt;
            break;
        default:
            return std::nullopt;
    }
    if (layout.bits <= 8) {
        const std::uint32_t most = 1u << layout.bits;
        if (colours > most) return std::nullopt;
        const std::int64_t count = colours ? colours : most;
        const std::int64_t tableSize = count * paletteEntry;
        if (!file.Holds(tableAt, tableSize) || tableAt + tableSize > layout.pixelsAt) return std::nullopt;
        layout.palette.resize(static_cast<std::size_t>(count));
        for (std::int64_t i = 0; i < count; ++i) {
            const std::int64_t at = tableAt + i * paletteEntry;
            layout.palette[static_cast<std::size_t>(i)] = file.U8(at + 2) << 16 | file.U8(at + 1) << 8 | file.U8(at);
        }
    } else if (tableAt > layout.pixelsAt) {
        return std::nullopt;  // pixels overlapping the headers
    }
    if (!file.Holds(layout.pixelsAt, 0)) return std::nullopt;
    if (layout.compression == kRgb || layout.compression == kBitFields) {
        const std::int64_t stride = (layout.width * layout.bits + 31) / 32 * 4;
        if (!file.Holds(layout.pixelsAt, stride * layout.height)) return std::nullopt;  // rows missing
    }
    return layout;
}

class Picture {
public:
    explicit Picture(const Layout& layout)
        : layout_(layout), pixels_{static_cast<int>(layout.width), static_cast<int>(layout.height), {}} {
        pixels_.rows.assign(static_cast<std::size_t>(layout.width * layout.height), 0);
    }
    // `row` counted as the file stores it.
    void Set(std::int64_t x, std::int64_t row, std::uint32_t colour) {
        if (x < 0 || x >= layout_.width || row < 0 || row >= layout_.height) return;
        const std::int64_t y = layout_.topDown ? row : layout_.height - 1 - row;
        pixels_.rows[static_cast<std::size_t>(y * layout_.width + x)] = colour;
    }
    std::uint32_t Colour(std::uint32_t index) const {
        // An index past the colour table is black, as the system draws it.
        return index < layout_.palette.size() ? layout_.palette[index] : 0;
    }
    Pixels Take() { return std::move(pixels_); }

private:
    const Layout& layout_;
    Pixels pixels_;
};

void DecodeUncompressed(const Bytes& file, const Layout& layout, Picture& picture) {
    const std::int64_t stride = (layout.width * layout.bits + 31) / 32 * 4;
    const bool fields = layout.compression == kBitFields;
    const Fields plain16{Channel(0x7C00), Channel(0x03E0), Channel(0x001F)};
    const Fields masked{Channel(layout.masks[0]), Channel(layout.masks[1]), Channel(layout.masks[2])};
    for (std::int64_t row = 0; row < layout.height; ++row) {
        const std::int64_t start = layout.pixelsAt + row * stride;
        for (std::int64_t x = 0; x < layout.width; ++x) {
            std::uint32_t colour = 0;
            switch (layout.bits) {
                case 1:
                    colour = picture.Colour(file.U8(start + x / 8) >> (7 - x % 8) & 1);
                    break;
                case 4:
                    colour = picture.Colour(file.U8(start + x / 2) >> (x % 2 ? 0 : 4) & 0xF);
                    break;
                case 8:
                    colour = picture.Colour(file.U8(start + x));
                    break;
                case 16:
                    colour = (fields ? masked : plain16).Of(file.U16(start + 2 * x));
                    break;
                case 24:
                    colour = file.U8(start + 3 * x + 2) << 16 | file.U8(start + 3 * x + 1) << 8 |
                             file.U8(start + 3 * x);
                    break;
                default:
                    colour = fields ? masked.Of(file.U32(start + 4 * x)) : file.U32(start + 4 * x) & 0xFFFFFF;
                    break;
            }
            picture.Set(x, row, colour);
        }
    }
}

// Runs of one or two colours, and absolute stretches, up to the end mark;
// a stream that stops inside a command is a damaged file.
bool DecodeRunLength(const Bytes& file, const Layout& layout, Picture& picture) {
    const bool four = layout.compression == kRle4;
    std::int64_t end = file.Size();
    if (layout.imageSize != 0) {
        if (!file.Holds(layout.pixelsAt, layout.imageSize)) return false;
        end = layout.pixelsAt + layout.imageSize;
    }
    std::int64_t at = layout.pixelsAt, x = 0, row = 0;
    while (at + 2 <= end) {
        const std::uint32_t count = file.U8(at), value = file.U8(at + 1);
        at += 2;
        if (count > 0) {
            for (std::uint32_t i = 0; i < count; ++i, ++x) {
                const std::uint32_t index = four ? (i % 2 ? value & 0xF : value >> 4) : value;
                picture.Set(x, row, picture.Colour(index));
            }
        } else if (value == 0) {
            x = 0;
            ++row;
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (at + 2 > end) return false;
            x += file.U8(at);
            row += file.U8(at + 1);
            at += 2;
        } else {
            const std::int64_t bytes = four ? (value + 1) / 2 : value;
            const std::int64_t padded = (bytes + 1) / 2 * 2;
            if (padded > end - at) return false;
            for (std::uint32_t i = 0; i < value; ++i, ++x) {
                const std::uint32_t byte = file.U8(at + (four ? i / 2 : i));
                picture.Set(x, row, picture.Colour(four ? (i % 2 ? byte & 0xF : byte >> 4) : byte));
            }
            at += padded;
        }
        if (row > layout.height) return true;  // past the last row: nothing more to draw
    }
    return at == end;
}

}  // namespace

std::optional<Pixels> Decode(std::string_view data) {
    const Bytes file(data);
    const std::optional<Layout> layout = ReadLayout(file);
    if (!layout) return std::nullopt;
    Picture picture(*layout);
    if (layout->compression == kRle8 || layout->compression == kRle4) {
        if (!DecodeRunLength(file, *layout, picture)) return std::nullopt;
    } else {
        DecodeUncompressed(file, *layout, picture);
    }
    return picture.Take();
}

}  // namespace tamrel::bitmap
