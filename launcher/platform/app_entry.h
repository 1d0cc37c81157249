// Hands the launcher's entry function to SDL's application runner with the arguments SDL expects
// on this OS.
#pragma once

namespace qm {

int RunApplication(int argc, char** argv, int (*entry)(int, char**));

}  // namespace qm
