#include "setup/Form2.h"

#include <cstdio>

namespace tamrel {

void Form2::Show() {
    (void)app_;
    std::fputs("tamrel: setup mode is not available in this build yet.\n", stderr);
}

}  // namespace tamrel
