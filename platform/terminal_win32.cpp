// Interactive standard streams on Windows: the stream's handle is a console
// buffer. The C runtime's isatty is not used: it answers yes for any
// character device, NUL included, where nobody can ever answer or see a
// redrawn line. Only a console input or screen buffer answers
// GetConsoleMode.
#include "platform/terminal.h"

#include <windows.h>

namespace {

int IsConsole(DWORD standard_stream) {
    HANDLE handle = GetStdHandle(standard_stream);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return 0;  // closed, or a process without standard streams
    }
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != 0 ? 1 : 0;
}

}  // namespace

extern "C" int TERMINAL_StdinIsInteractive(void) { return IsConsole(STD_INPUT_HANDLE); }

extern "C" int TERMINAL_StderrIsInteractive(void) { return IsConsole(STD_ERROR_HANDLE); }
