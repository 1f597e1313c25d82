// The relauncher: waits until the control runtime's process has ended, then
// starts the runtime's executable again from the folder that holds the FB
// folder of the current directory.
#pragma once

#include "platform/platform.h"

namespace relauncher {

// Runs the whole program against the given system; returns the exit code,
// which is 0 on every path.
int RunRelauncher(platform::Platform& os);

}  // namespace relauncher
