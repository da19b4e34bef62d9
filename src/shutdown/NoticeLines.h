#pragma once
// A list too long for the notice on the screen: what fits, then how many
// more there are.

#include <string>
#include <vector>

#include "platform/Toolkit.h"

namespace tamrel {

// The lines joined, as many as the label's size holds in its font, each
// wrapped to its width; when not all fit, the last row reads "and N more".
std::string NoticeLines(const ui::Control& label, const std::vector<std::string>& lines);

}  // namespace tamrel
