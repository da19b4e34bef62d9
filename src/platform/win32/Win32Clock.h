#pragma once

#include "platform/Processes.h"

namespace tamrel {

// The user's short date, a blank and the user's time format.
class Win32Clock : public Clock {
public:
    std::string NowText() override;
};

}  // namespace tamrel
