#pragma once
// The system shutdown, with the shutdown right the NT family asks for.

#include "platform/Power.h"

namespace tamrel {

class Win32Power : public Power {
public:
    bool IsNtFamily() override;
    bool EnableShutdownPrivilege() override;
    void RequestExit(unsigned flags) override;
};

}  // namespace tamrel
