#include "app/application.h"

namespace app {

int RunApplication(int, char**) { return 0; }

}  // namespace app
