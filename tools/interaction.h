// What bustool shows on the terminal around long or risky operations.
#pragma once

#include <string>

namespace bustool {

// A bar on stderr for whole-chip operations, drawn only when stderr is a
// terminal (nothing at all in a pipe or a log). The line is ended when the
// bar goes out of scope, so a following error message starts on its own line.
class Progress {
public:
    Progress(std::string label, int total);
    ~Progress();
    Progress(const Progress &) = delete;
    Progress &operator=(const Progress &) = delete;

    void Update(int done);

private:
    std::string label_;
    int total_;
    int shown_percent_ = -1;
    bool enabled_;
};

// Before a write to a device: `what` describes it ("Ecriture de ...").
// Returns when the write may go ahead: -y was given, or the user answered
// yes on the terminal. Otherwise a usage failure: no terminal to ask on, or
// the user declined.
void ConfirmWrite(bool assume_yes, const std::string &what);

}  // namespace bustool
