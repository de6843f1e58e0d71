// Running the thermo program as a user would: its own process, its own
// environment, its standard output captured byte for byte. Either with no
// terminal at all (no console input), or on a pseudo-terminal that the test
// types on.
#pragma once

#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include <sys/types.h>
#include <termios.h>

namespace program {

// Variables set for the run on top of the test's own environment, from which
// every FTSIM_* variable and LD_LIBRARY_PATH are taken out first.
using Environment = std::vector<std::pair<std::string, std::string>>;

struct Ending {
    std::string out;         // everything written to standard output
    bool exited = false;     // ended by exit (false: by a signal, or still running)
    int code = -1;           // exit status if exited, else the signal number
    bool timed_out = false;  // still running at the deadline: killed
};

constexpr auto kDeadline = std::chrono::seconds(20);

// Standard input /dev/null, standard output a pipe, and either
enum class Console {
    kNone,      // no controlling terminal: no console input
    kTerminal,  // a pseudo-terminal as controlling terminal, reached only through /dev/tty
};

// Run to the end with no console input.
Ending RunDetached(const Environment &environment);

class Program {
public:
    Program();
    ~Program();
    Program(const Program &) = delete;
    Program &operator=(const Program &) = delete;

    bool Start(const Environment &environment, Console console);
    // Keys typed on the terminal (Console::kTerminal).
    void Type(const std::string &keys);
    // Output so far, waiting until it contains `text` (or the deadline).
    const std::string &OutputUntil(const std::string &text);
    // Still running after `pause`?
    bool StillRunningAfter(std::chrono::milliseconds pause);
    void Signal(int signal_number);
    Ending Wait();
    // The terminal's settings as a process on it would see them now, and as
    // they were before the program started (Console::kTerminal).
    termios Settings() const;
    const termios &SettingsBefore() const { return before_; }
    // What is waiting in the terminal's input after a line end is typed.
    std::string PendingLine();

private:
    void Drain(int timeout_ms);
    int master_ = -1;
    int slave_ = -1;
    int out_ = -1;
    pid_t child_ = -1;
    termios before_{};
    std::string output_;
    Ending ending_;
    bool ended_ = false;
};

bool SameSettings(const termios &a, const termios &b);

}  // namespace program
