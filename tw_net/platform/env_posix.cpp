#include "platform/env.h"

#include <cstdlib>

namespace tw {

void SetProcessEnv(const char* name, const char* value) { ::setenv(name, value, 1); }

}  // namespace tw
