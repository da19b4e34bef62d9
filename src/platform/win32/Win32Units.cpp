#include "platform/win32/Win32Units.h"

#include "platform/win32/Win32Handle.h"

namespace tamrel::win32 {

const Dpi& Dpi::OfScreen() {
    static const Dpi screen = [] {
        Dpi dpi;
        const WindowDc dc(nullptr);
        if (dc.get()) {
            dpi.x = ::GetDeviceCaps(dc.get(), LOGPIXELSX);
            dpi.y = ::GetDeviceCaps(dc.get(), LOGPIXELSY);
        }
        if (dpi.x <= 0) dpi.x = 96;
        if (dpi.y <= 0) dpi.y = 96;
        return dpi;
    }();
    return screen;
}

}  // namespace tamrel::win32
