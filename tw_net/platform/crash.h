// The crash reporter: on a fatal fault, writes "[tw_net] CRASH <code> at <address>" and up to 24
// frames of the faulting thread as module!symbol to standard error, then lets the process end.
#pragma once

namespace tw {

// Installs it for the whole process; the first thing tw_net's entry does.
void InstallCrashReporter();

// Standard error carries the log's bytes as they stand (no CR added before each LF on Windows).
void UseBinaryStandardError();

}  // namespace tw
