// The console on Windows: standard output in text mode, and keys from the
// console's own input buffer (CONIN$) whatever standard input is.
//
// A key is looked for with PeekConsoleInput, which copies input records
// without removing them, so the key that ends the program is still in the
// buffer for the shell or whatever reads the console next. The console's
// input mode is left as it is: key records reach the buffer in any mode, and
// nothing here reads them, so nothing is echoed.
#include "platform/console.h"

#include <array>
#include <cstdio>

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace {

// Records looked at per test. Key releases, modifier presses, mouse, focus,
// menu and buffer-size records sit in the buffer ahead of a real key; this
// many covers far more of them than a user produces between two tests.
constexpr DWORD kRecordsPeeked = 512;

HANDLE g_input = INVALID_HANDLE_VALUE;  // the console input buffer, or none
std::array<INPUT_RECORD, kRecordsPeeked> g_records;

// A key that means "go on": function keys F1..F24, the cursor block and the
// editing keys. Their presses carry no character.
bool IsFunctionCursorOrEditingKey(WORD virtual_key) {
    if (virtual_key >= VK_F1 && virtual_key <= VK_F24) {
        return true;
    }
    switch (virtual_key) {
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:  // Page Up
        case VK_NEXT:   // Page Down
        case VK_INSERT:
        case VK_DELETE:
        case VK_CLEAR:  // keypad 5 with Num Lock off
            return true;
        default:
            return false;
    }
}

// A press of a key that counts: one that types a character, or a function,
// cursor or editing key. Shift, Ctrl, Alt and the lock keys alone type
// nothing and are none of those, so they do not count; nor does a release.
bool IsCountingKeyPress(const INPUT_RECORD &record) {
    if (record.EventType != KEY_EVENT) {
        return false;  // mouse, focus, menu, buffer size
    }
    const KEY_EVENT_RECORD &key = record.Event.KeyEvent;
    if (!key.bKeyDown) {
        return false;
    }
    return key.uChar.UnicodeChar != 0 || IsFunctionCursorOrEditingKey(key.wVirtualKeyCode);
}

}  // namespace

extern "C" void CONSOLE_Open(void) {
    // Text mode: each line feed is written as CR LF. No buffer: each print is
    // out before it returns, also when nobody can end the program by a key.
    _setmode(_fileno(stdout), _O_TEXT);
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    // The console's own input, even when standard input is a file or a pipe.
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return;  // no console (a detached or service process)
    }
    // Only a console input answers GetConsoleMode; a character device such
    // as NUL does not, and can never deliver a key.
    DWORD mode = 0;
    if (GetConsoleMode(input, &mode) == 0) {
        CloseHandle(input);
        return;
    }
    g_input = input;
    // Have the console take in what was typed so far (a console emulated on
    // a terminal reads the terminal only when asked), so that a key pressed
    // during start-up is seen by the first test.
    CONSOLE_KeyPressed();
}

extern "C" int CONSOLE_HasInput(void) { return g_input != INVALID_HANDLE_VALUE ? 1 : 0; }

extern "C" int CONSOLE_KeyPressed(void) {
    if (g_input == INVALID_HANDLE_VALUE) {
        return 0;
    }
    DWORD peeked = 0;
    if (PeekConsoleInputW(g_input, g_records.data(), kRecordsPeeked, &peeked) == 0) {
        return 0;
    }
    for (DWORD i = 0; i < peeked; ++i) {
        if (IsCountingKeyPress(g_records[i])) {
            return 1;
        }
    }
    return 0;
}
