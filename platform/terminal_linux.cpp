// Interactive standard streams on Linux: the stream's descriptor is a
// terminal device.
#include "platform/terminal.h"

#include <unistd.h>

namespace {

int IsTerminal(int descriptor) { return isatty(descriptor) == 1 ? 1 : 0; }

}  // namespace

extern "C" int TERMINAL_StdinIsInteractive(void) { return IsTerminal(STDIN_FILENO); }

extern "C" int TERMINAL_StderrIsInteractive(void) { return IsTerminal(STDERR_FILENO); }
