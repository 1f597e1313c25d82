// iohost's commands; main() only calls Main.
#pragma once

namespace iohost {

// Exit status: 0 done, 2 errors in the station file, 1 other failures.
int Main(int argc, char** argv);

}  // namespace iohost
