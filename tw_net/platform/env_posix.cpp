#include <cstdlib>

#include "platform/env.h"

namespace tw {

void SetProcessEnv(const char* name, const char* value) { ::setenv(name, value, 1); }

}  // namespace tw
