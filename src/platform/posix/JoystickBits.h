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
// not be opened. False when the text is not such a bitmap.
bool ParseCapabilityText(const std::string& text, KeyBits& keys);

}  // namespace tamrel
