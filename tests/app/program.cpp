#include "program.h"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace program {

namespace {

// Child side, after fork: the environment of the run.
void ApplyEnvironment(const Environment &environment) {
    std::vector<std::string> drop;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string name(*entry, std::strcspn(*entry, "="));
        if (name.rfind("FTSIM_", 0) == 0 || name == "LD_LIBRARY_PATH") drop.push_back(name);
    }
    for (const std::string &name : drop) unsetenv(name.c_str());
    for (const auto &[name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
}

[[noreturn]] void Exec(int out, const Environment &environment) {
    const int null = open("/dev/null", O_RDWR);
    dup2(null, STDIN_FILENO);
    dup2(out, STDOUT_FILENO);
    close(null);
    close(out);
    ApplyEnvironment(environment);
    execl(THERMO_PATH, THERMO_PATH, static_cast<char *>(nullptr));
    _exit(127);
}

// Read what is there within timeout_ms; false at end of file.
bool ReadSome(int fd, std::string &into, int timeout_ms) {
    pollfd wait_for{fd, POLLIN, 0};
    if (poll(&wait_for, 1, timeout_ms) <= 0) return true;
    char buffer[4096];
    const ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) return false;
    into.append(buffer, static_cast<size_t>(n));
    return true;
}

Ending Reap(pid_t child, int out, std::string &output) {
    Ending ending;
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (out >= 0 && ReadSome(out, output, 50)) {
        if (std::chrono::steady_clock::now() > deadline) {
            kill(child, SIGKILL);
            ending.timed_out = true;
            break;
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    while (!ending.timed_out && out >= 0 && ReadSome(out, output, 0)) {
    }
    ending.out = output;
    ending.exited = WIFEXITED(status);
    ending.code = WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? WTERMSIG(status) : -1;
    return ending;
}

}  // namespace

Ending RunDetached(const Environment &environment) {
    Program program;
    if (!program.Start(environment, Console::kNone)) return {};
    return program.Wait();
}

Program::Program() = default;

Program::~Program() {
    if (child_ > 0 && !ended_) {
        kill(child_, SIGKILL);
        waitpid(child_, nullptr, 0);
    }
    for (const int fd : {master_, slave_, out_}) {
        if (fd >= 0) close(fd);
    }
}

bool Program::Start(const Environment &environment, Console console) {
    if (console == Console::kTerminal) {
        if (openpty(&master_, &slave_, nullptr, nullptr, nullptr) != 0) return false;
        before_ = Settings();
    }
    int out[2];
    if (pipe(out) != 0) return false;
    child_ = fork();
    if (child_ == 0) {
        close(out[0]);
        setsid();  // no controlling terminal from here on ...
        if (console == Console::kTerminal) {
            close(master_);
            // ... but this one, reached again only through /dev/tty
            if (ioctl(slave_, TIOCSCTTY, 0) != 0) _exit(126);
            close(slave_);
        }
        Exec(out[1], environment);
    }
    close(out[1]);
    out_ = out[0];
    return child_ > 0;
}

void Program::Type(const std::string &keys) {
    const ssize_t written = write(master_, keys.data(), keys.size());
    static_cast<void>(written);
}

void Program::Drain(int timeout_ms) {
    if (out_ >= 0 && !ReadSome(out_, output_, timeout_ms)) {
        close(out_);
        out_ = -1;
    }
}

const std::string &Program::OutputUntil(const std::string &text) {
    const auto deadline = std::chrono::steady_clock::now() + kDeadline;
    while (output_.find(text) == std::string::npos && out_ >= 0 &&
           std::chrono::steady_clock::now() < deadline) {
        Drain(50);
    }
    return output_;
}

bool Program::StillRunningAfter(std::chrono::milliseconds pause) {
    std::this_thread::sleep_for(pause);
    return waitpid(child_, nullptr, WNOHANG) == 0;
}

void Program::Signal(int signal_number) { kill(child_, signal_number); }

Ending Program::Wait() {
    ending_ = Reap(child_, out_, output_);
    if (out_ >= 0) {
        close(out_);
        out_ = -1;
    }
    ended_ = true;
    return ending_;
}

termios Program::Settings() const {
    termios settings{};
    tcgetattr(slave_, &settings);
    return settings;
}

std::string Program::PendingLine() {
    Type("\n");
    std::string line;
    const int flags = fcntl(slave_, F_GETFL);
    fcntl(slave_, F_SETFL, flags | O_NONBLOCK);
    for (int tries = 0; tries < 40 && line.find('\n') == std::string::npos; ++tries) {
        char buffer[256];
        const ssize_t n = read(slave_, buffer, sizeof buffer);
        if (n > 0) {
            line.append(buffer, static_cast<size_t>(n));
        } else {
            std::this_thread::sleep_for(std::chrono::milliseconds(25));
        }
    }
    fcntl(slave_, F_SETFL, flags);
    return line;
}

bool SameSettings(const termios &a, const termios &b) {
    return a.c_iflag == b.c_iflag && a.c_oflag == b.c_oflag && a.c_cflag == b.c_cflag &&
           a.c_lflag == b.c_lflag && std::memcmp(a.c_cc, b.c_cc, sizeof a.c_cc) == 0;
}

}  // namespace program
