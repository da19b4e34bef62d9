#pragma once
// The system shutdown, with the shutdown right the NT family asks for. The
// system answers at once, a refusal in its own words.

#include <string>

#include "platform/Power.h"

namespace tamrel {

class Win32Power : public Power {
public:
    std::unique_ptr<Reply<PowerAnswer>> Request(PowerAction action) override;

private:
    static bool IsNtFamily();
    // Empty when the right is enabled; else the system's words.
    static std::string EnableShutdownPrivilege();
};

namespace win32 {
// Empty when the privilege step enabled the right: the call succeeded and
// left no error behind. Else why not, in the system's words.
std::string ShutdownRightRefusal(bool adjusted, unsigned long lastError);
}  // namespace win32

}  // namespace tamrel
