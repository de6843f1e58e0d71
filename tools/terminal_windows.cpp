#include <io.h>

#include <cstdio>

#include "terminal.h"

namespace bustool {

bool StdinIsTerminal() { return _isatty(_fileno(stdin)) != 0; }
bool StderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

}  // namespace bustool
