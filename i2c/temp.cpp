// Thermometer chip with the DS1621 command set.
//
// Configuration register (command 0xAC):
//   bit 7  DONE   1 = conversion finished (read only)
//   bit 6  THF    high temperature flag
//   bit 5  TLF    low temperature flag
//   bit 4  NVB    EEPROM write in progress
//   bit 1  POL    thermostat output polarity
//   bit 0  1SHOT  1 = one conversion per start command
// One-shot mode is bits 1..0 = 01.
//
// Every operation is one transaction, written as its bus sequence. A byte not
// acknowledged ends it at once through the one failure exit, which sends the
// stop.
#include "i2c/temp.h"

#include <cstdint>

#include "i2c/bus_steps.h"
#include "i2c/link.h"
#include "i2c/temp_precise.h"

namespace {

using bus::Abandon;
using bus::kAck;
using bus::kNack;
using bus::Received;
using bus::Sent;

// Address byte: 1001 A2 A1 A0 R/W.
constexpr int kAddressBase = 0x90;
constexpr int kAddressPinsMask = 0x07;  // A2..A0

// Command bytes, and what follows each.
enum Command : std::uint8_t {
    kAccessConfig = 0xAC,     // one byte written, or a repeated start and one byte read
    kStartConvert = 0xEE,     // nothing: the conversion starts at the stop
    kReadTemperature = 0xAA,  // repeated start, then msb (whole degrees) and lsb (0x80 = .5)
    kReadSlope = 0xA9,        // repeated start, then the count per degree
    kReadCounter = 0xA8,      // repeated start, then the count remaining
};

constexpr int kConfigDone = 0x80;
constexpr int kConfigModeMask = 0x03;  // POL, 1SHOT
constexpr int kConfigOneShot = 0x01;

constexpr int kBitsPerByte = 8;

int WriteAddress(int device) { return kAddressBase + 2 * (device & kAddressPinsMask); }

// S aw command S ar.
[[nodiscard]] bool Query(int device, Command command) { return bus::Turnaround(WriteAddress(device), command); }

}  // namespace

extern "C" int TEMP_ReadConfig(int device, int *config) {
    *config = 0;
    if (!Query(device, kAccessConfig)) {
        return Abandon();
    }
    const int value = bus::ReceivedThenClock();
    I2C_Stop();
    *config = value;
    return I2C_OK;
}

extern "C" int TEMP_WriteConfig(int device, int value) {
    I2C_Start();
    if (!Sent(WriteAddress(device)) || !Sent(kAccessConfig) || !Sent(value)) {
        return Abandon();
    }
    I2C_Stop();
    return I2C_OK;
}

extern "C" int TEMP_Init(int device) {
    int config = 0;
    if (TEMP_ReadConfig(device, &config) != I2C_OK) {
        return I2C_NOACK;
    }
    if ((config & kConfigModeMask) == kConfigOneShot) {
        return I2C_OK;  // already in one-shot mode: spare the chip's EEPROM a write
    }
    return TEMP_WriteConfig(device, kConfigOneShot);
}

extern "C" int TEMP_StartConversion(int device) {
    I2C_Start();
    if (!Sent(WriteAddress(device)) || !Sent(kStartConvert)) {
        return Abandon();
    }
    I2C_Stop();
    return I2C_OK;
}

extern "C" int TEMP_IsDone(int device, int *done) {
    int config = 0;
    if (TEMP_ReadConfig(device, &config) != I2C_OK) {
        *done = 1;  // stop any poll: the caller looks at the status first
        return I2C_NOACK;
    }
    *done = (config & kConfigDone) != 0 ? 1 : 0;
    return I2C_OK;
}

extern "C" int TEMP_Read(int device, int *value) {
    if (!Query(device, kReadTemperature)) {
        return Abandon();
    }
    const int msb = Received(kAck);
    const int lsb = Received(kNack);
    I2C_Stop();
    *value = (msb << kBitsPerByte) + lsb;
    return I2C_OK;
}

// Three exchanges chained by repeated starts in one transaction: a stop
// anywhere in it, the failure's included, ends the whole.
extern "C" int TEMP_ReadPrecise(int device, int *value) {
    if (!Query(device, kReadTemperature)) {
        return Abandon();
    }
    const int whole_degrees = Received(kNack);  // msb only
    if (!Query(device, kReadSlope)) {
        return Abandon();
    }
    const int slope = Received(kNack);
    if (!Query(device, kReadCounter)) {
        return Abandon();
    }
    const int count = Received(kNack);
    I2C_Stop();
    *value = thermometer::PreciseTemperature256ths(whole_degrees, slope, count);
    return I2C_OK;
}
