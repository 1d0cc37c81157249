// tw_net's own process environment.
#pragma once

namespace tw {

void SetProcessEnv(const char* name, const char* value);

}  // namespace tw
