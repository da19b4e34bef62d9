#pragma once
// The table of common key codes, for choosing the cancel and re-start keys
// by hand.

#include "help/HelpWindow.h"

namespace tamrel {

class KeyCodeTable : public HelpWindow {
public:
    KeyCodeTable(Platform& platform, Navigator& navigator);
};

}  // namespace tamrel
