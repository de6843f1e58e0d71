#include "sim_bus.h"

#include <sstream>
#include <vector>

#include "i2c/link.h"

namespace simbus {

namespace {
template <typename Get>
std::string Fetch(Get get) {
    const size_t length = get(nullptr, 0);
    std::vector<char> text(length + 1);
    get(text.data(), text.size());
    return std::string(text.data(), length);
}
}  // namespace

std::string Log() { return Fetch(FTSIM_GetLog); }
std::string Calls() { return Fetch(FTSIM_GetCalls); }

Lines Split(const std::string &text) {
    Lines lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

void ClearObservations() {
    FTSIM_ClearLog();
    FTSIM_ClearCalls();
    FTSIM_ClearCounters();
}

bool LinkOpen() {
    // The link is opened once per process and never closed.
    static const int status = [] {
        FTSIM_Reset();
        return I2C_Open();
    }();
    return status == I2C_OK;
}

}  // namespace simbus

void SimBusTest::SetUp() {
    ASSERT_TRUE(simbus::LinkOpen()) << "I2C_Open failed against the simulated adapter";
    FTSIM_Reset();
}
