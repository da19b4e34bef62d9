#pragma once
// What makes an event device a joystick: buttons in the kernel's joystick or
// gamepad ranges. Keyboards, mice and touch pads are watched through the
// display instead.

#include <linux/input.h>

#include <bitset>
#include <string>

namespace tamrel {

using KeyBits = std::bitset<KEY_CNT>;

bool IsJoystick(const KeyBits& keys);

// The bitmap as sysfs shows it (capabilities/key: hexadecimal words of the
// kernel's long, the highest first, blank-separated), for a device that may
// not be opened. The kernel's long (`wordBits`, 32 or 64) may be wider than
// ours: a 32-bit system on a 64-bit kernel. False when the text is not such
// a bitmap.
bool ParseCapabilityText(const std::string& text, unsigned wordBits, KeyBits& keys);

}  // namespace tamrel
