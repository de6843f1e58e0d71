#include <unistd.h>

#include "terminal.h"

namespace bustool {

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }
bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace bustool
