#include "platform/posix/JoystickBits.h"

#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace tamrel {

bool IsJoystick(const KeyBits& keys) {
    // Each range holds sixteen codes; a device has at least one of them.
    for (const int first : {BTN_JOYSTICK, BTN_GAMEPAD})
        for (int code = first; code < first + 16; ++code)
            if (keys.test(static_cast<std::size_t>(code))) return true;
    return false;
}

bool ParseCapabilityText(const std::string& text, const unsigned wordBits, KeyBits& keys) {
    std::istringstream in(text);
    std::vector<std::uint64_t> words;
    std::string word;
    while (in >> word) {
        if (word.size() > wordBits / 4) return false;
        std::uint64_t value = 0;
        for (const char c : word) {
            const int digit = c >= '0' && c <= '9' ? c - '0'
                              : c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                     : -1;
            if (digit < 0) return false;
            value = value << 4 | static_cast<std::uint64_t>(digit);
        }
        words.push_back(value);
    }
    if (words.empty()) return false;
    keys.reset();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::size_t base = (words.size() - 1 - i) * wordBits;
        for (std::size_t bit = 0; bit < wordBits; ++bit)
            if ((words[i] >> bit) & 1U && base + bit < keys.size()) keys.set(base + bit);
    }
    return true;
}

}  // namespace tamrel
