#pragma once
// The system shutdown, with the shutdown right the NT family asks for.

#include "platform/Power.h"

namespace tamrel {

class Win32Power : public Power {
public:
    void Request(PowerAction action) override;

private:
    static bool IsNtFamily();
    static bool EnableShutdownPrivilege();
};

}  // namespace tamrel
