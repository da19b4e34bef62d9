#include "setup/SetupWindow.h"

namespace tamrel {

void SetupWindow::Show() { (void)app_; }

}  // namespace tamrel
