// bustool: the library's device operations from the command line.
//
// Every command runs in three phases, in this order:
//   1. check its arguments (and read any input file),
//   2. ask for confirmation if it writes to a device,
//   3. open the bus or the port and run the bus sequence.
// A failure in phase 1 or 2 therefore never reaches the wire.
#pragma once

#include <functional>
#include <map>
#include <stdexcept>
#include <string>

namespace CLI {
class App;
}

namespace bustool {

// Exit status of the program.
enum ExitCode : int {
    kExitOk = 0,
    kExitUsage = 1,     // bad command line, unreadable file, write not confirmed
    kExitNoAnswer = 2,  // a device did not acknowledge (or never finished)
    kExitNoAdapter = 3  // the adapter could not be opened, or the port not acquired
};

// Ends the command: the message (one line, no line feed) goes to stderr and
// the program exits with `code`.
class Failure : public std::runtime_error {
public:
    Failure(ExitCode code, const std::string &message) : std::runtime_error(message), code_(code) {}
    [[nodiscard]] ExitCode code() const { return code_; }

private:
    ExitCode code_;
};

// A command line that cannot be run as given; the command's usage line is
// shown after the message.
class UsageFailure : public Failure {
public:
    explicit UsageFailure(const std::string &what) : Failure(kExitUsage, "Erreur : " + what) {}
};

[[noreturn]] void FailUsage(const std::string &what);

// The command tree. Each group file adds its commands to it.
class Tool {
public:
    // Options shared by every command.
    bool assume_yes = false;

    // A command the user can run: its grammar line (shown in its help and
    // after a usage error) and what it does once the line is parsed.
    CLI::App *AddCommand(CLI::App &parent, const std::string &name, const std::string &description,
                         const std::string &grammar, std::function<void()> action);
    // A group of commands (eeprom, rtc, ...): a command of its own is required.
    CLI::App *AddGroup(CLI::App &parent, const std::string &name, const std::string &description,
                       const std::string &grammar);

    // The grammar line of the program itself.
    void SetGrammar(const CLI::App *command, const std::string &grammar) { grammar_[command] = grammar; }
    // The grammar line given for `command`, or "" for an unknown one.
    [[nodiscard]] std::string GrammarOf(const CLI::App *command) const;
    // What `command` does, or nullptr for a group.
    [[nodiscard]] const std::function<void()> *ActionOf(const CLI::App *command) const;

private:
    CLI::App *Add(CLI::App &parent, const std::string &name, const std::string &description,
                  const std::string &grammar);

    std::map<const CLI::App *, std::string> grammar_;
    std::map<const CLI::App *, std::function<void()>> actions_;
};

// Phase 3 helpers.
void OpenBus();                                  // I2C_Open, or Failure(kExitNoAdapter)
void RequireAck(int status, const std::string &message);  // I2C_NOACK -> Failure(kExitNoAnswer)

// Command groups, one file each.
void AddScanCommand(Tool &tool, CLI::App &app);
void AddTempCommands(Tool &tool, CLI::App &app);
void AddEepromCommands(Tool &tool, CLI::App &app);
void AddRtcCommands(Tool &tool, CLI::App &app);
void AddLptCommands(Tool &tool, CLI::App &app);

// The whole program: parse, run, report. Returns the exit status.
int Run(int argc, char **argv);

}  // namespace bustool
