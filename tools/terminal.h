// Whether the standard streams are attached to a terminal. One file per OS
// (terminal_posix.cpp, terminal_windows.cpp).
#pragma once

namespace bustool {

bool StdinIsTerminal();   // someone can answer a question
bool StderrIsTerminal();  // a progress bar can be redrawn in place

}  // namespace bustool
