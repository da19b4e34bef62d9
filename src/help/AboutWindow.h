#pragma once
// The About window: what Tamrel is for, its version, and its licence.

#include "help/HelpWindow.h"

namespace tamrel {

class AboutWindow : public HelpWindow {
public:
    AboutWindow(Platform& platform, Navigator& navigator);
};

// The licence, as the LICENSE file at the top of the sources holds it.
extern const char* const kLicenceText;

}  // namespace tamrel
