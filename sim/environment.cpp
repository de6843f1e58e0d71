// FTSIM_* environment variables: how a program started from a shell chooses
// its simulated bus. Every variable is checked before anything changes, and
// a malformed one is reported by name.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "sim/calendar_clock.h"
#include "sim/ftsim.h"
#include "sim/simulator.h"

using namespace ftsim;

namespace {

constexpr const char *kDefaultDevices = "therm:0,eeprom";
constexpr double kDemoCelsius = 21.0;
// About one full-speed USB transfer per call: with the chip's 750 ms
// conversion a reading takes about a second, as on the desk.
constexpr long kDefaultLatencyMicros = 1000;

struct DeviceEntry {
    DeviceKind kind;
    int select;
};

// A conversion time or write cycle given in the environment.
struct Busy {
    bool set = false;
    int kind = 0;
    long value = 0;
};

struct Settings {
    std::vector<DeviceEntry> devices;
    bool temp_set = false;
    double celsius = kDemoCelsius;
    bool raw_set = false;
    int raw[4] = {};
    Busy conversion;   // unset: the chip's own conversion time
    Busy write_cycle;  // unset: the chip's own write cycle
    long latency_us = kDefaultLatencyMicros;
    std::vector<std::pair<int, long>> faults;
    std::string capture;
    std::string log;
};

bool Malformed(const char *name, const std::string &value, const char *expected) {
    std::fprintf(stderr, "simulated adapter: %s=\"%s\" is not valid: expected %s\n", name, value.c_str(), expected);
    return false;
}

std::vector<std::string> Split(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t from = 0;
    for (;;) {
        const size_t at = text.find(separator, from);
        parts.push_back(text.substr(from, at - from));
        if (at == std::string::npos) return parts;
        from = at + 1;
    }
}

std::string Trim(const std::string &text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Whole string as a decimal or 0x-hex number.
bool ParseNumber(const std::string &text, long &out) {
    if (text.empty()) return false;
    errno = 0;
    char *end = nullptr;
    const long value = std::strtol(text.c_str(), &end, 0);
    if (errno != 0 || end == text.c_str() || *end != '\0') return false;
    out = value;
    return true;
}

bool ParseCount(const std::string &text, long &out) { return ParseNumber(text, out) && out >= 0; }

bool EndsWith(const std::string &text, const std::string &suffix, std::string &head) {
    if (text.size() <= suffix.size() || text.compare(text.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    head = text.substr(0, text.size() - suffix.size());
    return true;
}

// How long a chip stays busy: "<N><time unit>", "<N><count unit>" or "never".
struct Timing {
    const char *time_unit;
    int time_kind;
    const char *count_unit;
    int count_kind;
    int never_kind;
};

bool ParseTiming(const std::string &value, const Timing &timing, Busy &out) {
    const std::string text = Trim(value);
    std::string head;
    long n = 0;
    if (text == "never") {
        out = {true, timing.never_kind, 0};
    } else if (EndsWith(text, timing.time_unit, head) && ParseCount(head, n)) {
        out = {true, timing.time_kind, n};
    } else if (EndsWith(text, timing.count_unit, head) && ParseCount(head, n)) {
        out = {true, timing.count_kind, n};
    } else {
        return false;
    }
    return true;
}

bool ParseDevices(const std::string &value, Settings &settings) {
    constexpr const char *kExpected = "a comma list of therm[:0-7], eeprom, clock[:0-1], or none";
    const std::string text = Trim(value);
    if (text == "none") return true;
    bool eeprom = false, clock = false;
    bool therm_pins[8] = {};
    for (const std::string &raw : Split(text, ',')) {
        const std::string item = Trim(raw);
        const size_t colon = item.find(':');
        const std::string name = item.substr(0, colon);
        long select = 0;
        if (colon != std::string::npos && !ParseCount(item.substr(colon + 1), select)) {
            return Malformed("FTSIM_DEVICES", value, kExpected);
        }
        if (name == "therm" && select <= 7 && !therm_pins[select]) {
            therm_pins[select] = true;
            settings.devices.push_back({DeviceKind::Thermometer, static_cast<int>(select)});
        } else if (name == "eeprom" && colon == std::string::npos && !eeprom && !clock) {
            eeprom = true;
            settings.devices.push_back({DeviceKind::Eeprom, 0});
        } else if (name == "clock" && select <= 1 && !eeprom && !clock) {
            clock = true;
            settings.devices.push_back({DeviceKind::Clock, static_cast<int>(select)});
        } else {
            return Malformed("FTSIM_DEVICES", value,
                             "a comma list of therm[:0-7], eeprom, clock[:0-1], or none; each address once, "
                             "and an EEPROM or a clock, not both (they share 0xA0..0xAF)");
        }
    }
    return true;
}

bool ParseFaults(const std::string &value, Settings &settings) {
    struct Named {
        const char *name;
        int fault;
        bool counted;
    };
    static constexpr Named kFaults[] = {
        {"open", FTSIM_FAULT_OPEN, false},
        {"baud", FTSIM_FAULT_BAUD, false},
        {"bitmode", FTSIM_FAULT_BITMODE, false},
        {"d1-low", FTSIM_FAULT_D1_STUCK_LOW, false},
        {"d1-high", FTSIM_FAULT_D1_STUCK_HIGH, false},
        {"write-from", FTSIM_FAULT_WRITE_FROM, true},
        {"getbitmode-from", FTSIM_FAULT_GETBITMODE_FROM, true},
        {"nack", FTSIM_FAULT_NACK_BYTE, true},
        {"therm-never-done", FTSIM_FAULT_THERM_NEVER_DONE, false},
        {"eeprom-busy", FTSIM_FAULT_EEPROM_BUSY_FOREVER, false},
        {"sda-low", FTSIM_FAULT_SDA_HELD_LOW, false},
    };
    constexpr const char *kExpected =
        "a comma list of open, baud, bitmode, d1-low, d1-high, write-from:N, getbitmode-from:N, nack:N, "
        "therm-never-done, eeprom-busy, sda-low (N from 1)";
    for (const std::string &raw : Split(value, ',')) {
        const std::string item = Trim(raw);
        const size_t colon = item.find(':');
        const std::string name = item.substr(0, colon);
        bool found = false;
        for (const Named &named : kFaults) {
            if (name != named.name) continue;
            long n = 0;
            if (named.counted != (colon != std::string::npos)) break;
            if (named.counted && (!ParseCount(item.substr(colon + 1), n) || n < 1)) break;
            settings.faults.emplace_back(named.fault, n);
            found = true;
        }
        if (!found) return Malformed("FTSIM_FAULT", value, kExpected);
    }
    return true;
}

bool Read(Settings &settings) {
    const auto get = [](const char *name) -> const char * { return std::getenv(name); };

    const char *devices = get("FTSIM_DEVICES");
    if (!ParseDevices(devices != nullptr ? devices : kDefaultDevices, settings)) return false;

    if (const char *v = get("FTSIM_TEMP")) {
        errno = 0;
        char *end = nullptr;
        settings.celsius = std::strtod(v, &end);
        if (errno != 0 || end == v || *end != '\0' || settings.celsius < -55.0 || settings.celsius > 125.0) {
            return Malformed("FTSIM_TEMP", v, "degrees Celsius from -55 to 125, e.g. 23.5");
        }
        settings.temp_set = true;
    }
    if (const char *v = get("FTSIM_TEMP_RAW")) {
        const std::vector<std::string> parts = Split(v, ',');
        bool ok = parts.size() == 4 && !settings.temp_set;
        for (size_t i = 0; ok && i < 4; ++i) {
            long byte = 0;
            ok = ParseCount(Trim(parts[i]), byte) && byte <= 255;
            settings.raw[i] = static_cast<int>(byte);
        }
        if (!ok) return Malformed("FTSIM_TEMP_RAW", v, "MSB,LSB,COUNTER,SLOPE, bytes in decimal or 0x hex (and not with FTSIM_TEMP)");
        settings.raw_set = true;
    }
    if (const char *v = get("FTSIM_CONVERSION")) {
        constexpr Timing kConversion = {"ms", FTSIM_CONV_MILLIS, "reads", FTSIM_CONV_READS, FTSIM_CONV_NEVER};
        if (!ParseTiming(v, kConversion, settings.conversion)) return Malformed("FTSIM_CONVERSION", v, "<N>ms, <N>reads or never");
    }
    if (const char *v = get("FTSIM_WRITE_CYCLE")) {
        constexpr Timing kWriteCycle = {"us", FTSIM_WC_MICROS, "polls", FTSIM_WC_POLLS, FTSIM_WC_NEVER};
        if (!ParseTiming(v, kWriteCycle, settings.write_cycle)) return Malformed("FTSIM_WRITE_CYCLE", v, "<N>us, <N>polls or never");
    }
    if (const char *v = get("FTSIM_LATENCY_US")) {
        if (!ParseCount(Trim(v), settings.latency_us)) return Malformed("FTSIM_LATENCY_US", v, "microseconds, 0 or more");
    }
    if (const char *v = get("FTSIM_FAULT")) {
        if (!ParseFaults(v, settings)) return false;
    }
    if (const char *v = get("FTSIM_CAPTURE")) {
        if (*v == '\0') return Malformed("FTSIM_CAPTURE", v, "the path of a VCD file to write");
        settings.capture = v;
    }
    if (const char *v = get("FTSIM_LOG")) {
        if (*v == '\0') return Malformed("FTSIM_LOG", v, "the path of a file to append the transaction log to");
        settings.log = v;
    }
    return true;
}

}  // namespace

extern "C" int FTSIM_ConfigureFromEnvironment(void) {
    Settings settings;
    if (!Read(settings)) return -1;

    Simulator &sim = Sim();
    if (!settings.log.empty() && !sim.log.SetSink(settings.log.c_str())) {
        std::fprintf(stderr, "simulated adapter: FTSIM_LOG=\"%s\": cannot open the file for appending\n", settings.log.c_str());
        return -1;
    }
    FTSIM_Reset();
    for (const DeviceEntry &entry : settings.devices) {
        switch (entry.kind) {
        case DeviceKind::Thermometer: {
            const int dev = FTSIM_AddThermometer(entry.select);
            if (settings.conversion.set) FTSIM_ThermSetConversion(dev, settings.conversion.kind, settings.conversion.value);
            if (settings.raw_set) {
                FTSIM_ThermSetRaw(dev, settings.raw[0], settings.raw[1], settings.raw[2], settings.raw[3]);
            } else {
                FTSIM_ThermSetCelsius(dev, settings.celsius);
                FTSIM_ThermSetDrift(dev, settings.temp_set ? 0 : 1);
            }
            break;
        }
        case DeviceKind::Eeprom: {
            const int dev = FTSIM_AddEeprom();
            if (settings.write_cycle.set) FTSIM_EepromSetWriteCycle(dev, settings.write_cycle.kind, settings.write_cycle.value);
            break;
        }
        case DeviceKind::Clock: {
            const int dev = FTSIM_AddClock(entry.select);
            if (CalendarClock *chip = ClockAt(dev)) chip->SetFromLocalTime();
            break;
        }
        }
    }
    for (const auto &[fault, arg] : settings.faults) FTSIM_SetFault(fault, arg);
    FTSIM_SetLatencyMicros(settings.latency_us);
    if (!settings.capture.empty() && FTSIM_CaptureStart(settings.capture.c_str()) != 0) {
        std::fprintf(stderr, "simulated adapter: FTSIM_CAPTURE=\"%s\": cannot create the file\n", settings.capture.c_str());
        return -1;
    }
    return 0;
}
