// Command-line arguments are ignored.
#include "platform/linux_platform.h"
#include "relauncher.h"

int main() {
  platform::LinuxPlatform os;
  return relauncher::RunRelauncher(os);
}
