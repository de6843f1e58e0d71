// Test helper: runs a program in this process's console and reports what is
// left in the console's input afterwards.
//
//   run_in_console OUT REPORT PROGRAM
//
// PROGRAM starts with standard output to the file OUT and standard input
// from NUL (redirected, so only the console itself can deliver a key). When
// it has ended, REPORT receives one line: "exit=<status> keys=<characters of
// the key presses still waiting in the console input>". The input is only
// peeked at, as the program under test must do.
#include <array>
#include <cstdio>
#include <string>

#include <windows.h>

namespace {

constexpr DWORD kRecordsPeeked = 256;

HANDLE OpenInheritable(const char *path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
}

std::string WaitingKeys() {
    HANDLE input = CreateFileA("CONIN$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    if (input == INVALID_HANDLE_VALUE) {
        return "<no console>";
    }
    static std::array<INPUT_RECORD, kRecordsPeeked> records;
    DWORD peeked = 0;
    std::string keys;
    if (PeekConsoleInputA(input, records.data(), kRecordsPeeked, &peeked) != 0) {
        for (DWORD i = 0; i < peeked; ++i) {
            const INPUT_RECORD &record = records[i];
            if (record.EventType == KEY_EVENT && record.Event.KeyEvent.bKeyDown &&
                record.Event.KeyEvent.uChar.AsciiChar != 0) {
                keys += record.Event.KeyEvent.uChar.AsciiChar;
            }
        }
    }
    CloseHandle(input);
    return keys;
}

}  // namespace

int main(int argc, char **argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: run_in_console OUT REPORT PROGRAM\n");
        return 2;
    }
    HANDLE out = OpenInheritable(argv[1], GENERIC_WRITE, CREATE_ALWAYS);
    HANDLE nul = OpenInheritable("NUL", GENERIC_READ, OPEN_EXISTING);
    if (out == INVALID_HANDLE_VALUE || nul == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "run_in_console: cannot open %s or NUL\n", argv[1]);
        return 2;
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nul;
    startup.hStdOutput = out;
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    std::string command_line = std::string("\"") + argv[3] + "\"";
    if (CreateProcessA(nullptr, command_line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                       &process) == 0) {
        std::fprintf(stderr, "run_in_console: cannot start %s (error %lu)\n", argv[3],
                     static_cast<unsigned long>(GetLastError()));
        return 2;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD status = 0;
    GetExitCodeProcess(process.hProcess, &status);
    CloseHandle(out);

    FILE *report = std::fopen(argv[2], "wb");
    if (report == nullptr) {
        return 2;
    }
    std::fprintf(report, "exit=%lu keys=%s\n", static_cast<unsigned long>(status), WaitingKeys().c_str());
    std::fclose(report);
    return 0;
}
