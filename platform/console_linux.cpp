// The console on Linux: standard output, and keys from the controlling
// terminal (/dev/tty) whatever standard input is.
//
// While the program runs, the terminal is non-canonical and does not echo, so
// one key counts without Enter and is not printed. A key is detected with
// FIONREAD, which reports what waits in the terminal's input queue without
// taking it; restoring the settings with TCSANOW does not flush that queue, so
// the key is still there for the shell after the program ends. ISIG stays on:
// Ctrl+C, Ctrl+\ and Ctrl+Z keep working, and each of them, like any other
// signal that ends the program, restores the settings first.
#include "platform/console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace {

constexpr const char kControllingTerminal[] = "/dev/tty";

// Signals whose default action ends the process: restore, then end by the
// same signal so that the parent sees the true cause.
constexpr int kEndingSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// Handler flags: the default action is back in place on entry and the signal
// is not blocked, so raising it again inside the handler acts at once.
constexpr int kOnce = static_cast<int>(SA_RESETHAND | SA_NODEFER);

int g_terminal = -1;                // the controlling terminal, or -1: no console input
termios g_saved{};                  // its settings before the program took it
volatile sig_atomic_t g_taken = 0;  // our settings are in force

bool InForeground() { return tcgetpgrp(g_terminal) == getpgrp(); }

// Async-signal-safe.
void Restore() {
    if (g_taken != 0) {
        tcsetattr(g_terminal, TCSANOW, &g_saved);
        g_taken = 0;
    }
}

// Async-signal-safe. Marked as taken first: a signal that lands in between
// then restores settings that may not have changed yet, which is harmless.
void Take() {
    termios keys = g_saved;
    keys.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    keys.c_cc[VMIN] = 1;
    keys.c_cc[VTIME] = 0;
    g_taken = 1;
    tcsetattr(g_terminal, TCSANOW, &keys);
}

void Install(int signal_number, void (*handler)(int), int flags) {
    struct sigaction action {};
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal_number, &action, nullptr);
}

void OnEndingSignal(int signal_number) {
    Restore();
    raise(signal_number);
}

// Async-signal-safe. Only in the foreground: a background job that touched
// the settings would be stopped by SIGTTOU.
void TakeAgain() {
    if (g_taken == 0 && InForeground() && tcgetattr(g_terminal, &g_saved) == 0) {
        Take();
    }
}

// Ctrl+Z: give the shell its terminal back, then stop.
void OnStopRequest(int) {
    const int saved_errno = errno;
    Restore();
    // Default action: the process stops here until SIGCONT. In an orphaned
    // process group the kernel drops the signal and this returns at once.
    raise(SIGTSTP);
    Install(SIGTSTP, OnStopRequest, kOnce);
    TakeAgain();
    errno = saved_errno;
}

// Resumed (fg, bg, kill -CONT).
void OnContinue(int) {
    const int saved_errno = errno;
    TakeAgain();
    errno = saved_errno;
}

bool Ignored(int signal_number) {
    struct sigaction current {};
    return sigaction(signal_number, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

void RestoreAtExit() { Restore(); }

}  // namespace

extern "C" void CONSOLE_Open(void) {
    // Without console input the program may run until it is killed: nothing
    // may sit in a buffer then.
    std::setvbuf(stdout, nullptr, _IONBF, 0);

    g_terminal = open(kControllingTerminal, O_RDONLY | O_CLOEXEC);
    if (g_terminal < 0) {
        return;  // no controlling terminal
    }
    if (!InForeground() || tcgetattr(g_terminal, &g_saved) != 0) {
        // A background job does not own the keyboard.
        close(g_terminal);
        g_terminal = -1;
        return;
    }

    std::atexit(RestoreAtExit);
    for (const int signal_number : kEndingSignals) {
        // A signal the caller chose to ignore (nohup, a background job of a
        // script) stays ignored.
        if (!Ignored(signal_number)) {
            Install(signal_number, OnEndingSignal, kOnce);
        }
    }
    if (!Ignored(SIGTSTP)) {
        Install(SIGTSTP, OnStopRequest, kOnce);
    }
    Install(SIGCONT, OnContinue, SA_RESTART);
    Take();
}

extern "C" int CONSOLE_HasInput(void) { return g_terminal >= 0 ? 1 : 0; }

extern "C" int CONSOLE_KeyPressed(void) {
    if (g_terminal < 0 || !InForeground()) {
        return 0;
    }
    int waiting = 0;
    if (ioctl(g_terminal, FIONREAD, &waiting) != 0) {
        return 0;
    }
    return waiting > 0 ? 1 : 0;
}
