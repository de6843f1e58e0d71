#include "run_tool.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

extern char **environ;

namespace tooltest {

namespace {

bool StartsWith(const std::string &text, const std::string &prefix) { return text.rfind(prefix, 0) == 0; }

std::string TempPath(const char *stream) {
    static int counter = 0;
    return "/tmp/bustool_test_" + std::to_string(getpid()) + "_" + std::to_string(counter++) + "." + stream;
}

}  // namespace

Outcome RunProgram(const std::string &path, const std::vector<std::string> &args,
                   const std::map<std::string, std::string> &env) {
    std::vector<std::string> environment;
    for (char **entry = environ; *entry != nullptr; ++entry) {
        const std::string text = *entry;
        if (!StartsWith(text, "FTSIM_") && !StartsWith(text, "BUSTOOL_TEST_")) {
            environment.push_back(text);
        }
    }
    for (const auto &[name, value] : env) {
        environment.push_back(name + "=" + value);
    }
    std::vector<char *> envp;
    for (std::string &text : environment) {
        envp.push_back(text.data());
    }
    envp.push_back(nullptr);

    std::vector<std::string> words{path};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &word : words) {
        argv.push_back(word.data());
    }
    argv.push_back(nullptr);

    const std::string out_path = TempPath("out");
    const std::string err_path = TempPath("err");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    Outcome outcome;
    pid_t pid = 0;
    if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), envp.data()) == 0) {
        int wait_status = 0;
        if (waitpid(pid, &wait_status, 0) == pid && WIFEXITED(wait_status)) {
            outcome.status = WEXITSTATUS(wait_status);
        }
    }
    posix_spawn_file_actions_destroy(&actions);
    outcome.out = ReadFile(out_path);
    outcome.err = ReadFile(err_path);
    unlink(out_path.c_str());
    unlink(err_path.c_str());
    return outcome;
}

std::string ReadFile(const std::string &path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const std::string &path, const std::string &bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace tooltest
