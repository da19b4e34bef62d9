#include "setup/Form2.h"

namespace tamrel {

void Form2::Show() { (void)app_; }

}  // namespace tamrel
