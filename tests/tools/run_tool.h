// Runs a program as a user would from a shell, with no terminal: standard
// input is /dev/null, and the output streams are collected whole.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace tooltest {

struct Outcome {
    int status = -1;  // exit status, or -1 if the program did not exit normally
    std::string out;
    std::string err;
};

// Variables in `env` are added to the inherited environment, from which any
// FTSIM_* and BUSTOOL_TEST_* settings are removed first.
Outcome RunProgram(const std::string &path, const std::vector<std::string> &args,
                   const std::map<std::string, std::string> &env);

std::string ReadFile(const std::string &path);  // "" if absent
void WriteFile(const std::string &path, const std::string &bytes);

}  // namespace tooltest
