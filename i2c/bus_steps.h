// The steps every device driver builds its transactions from, in the
// notation the drivers' comments use:
//   S  start (a repeated start inside a transaction)   P  stop
//   W(x)  a byte out and the device's acknowledge check
//   R  a byte in, then A (acknowledge: more to come) or N (the last byte)
//   C  the ninth clock after a byte in, SDA released and sampled but ignored
// Private to the drivers.
#pragma once

#include "i2c/link.h"

namespace bus {

constexpr int kAck = 0;   // acknowledge: SDA low on the ninth clock
constexpr int kNack = 1;  // not acknowledge: SDA left released

constexpr int kReadBit = 0x01;  // direction bit of a device address byte

// W(x): the low eight bits of x out, then the ninth clock. True if the
// device pulled SDA low.
[[nodiscard]] inline bool Sent(int byte) {
    I2C_WriteByte(byte);
    return I2C_ReadBit() == kAck;
}

// S aw x S ar: give the device a command or a register pointer, then turn the
// bus round for reading. The device drives SDA from here on.
[[nodiscard]] inline bool Turnaround(int write_address, int byte) {
    I2C_Start();
    if (!Sent(write_address) || !Sent(byte)) {
        return false;
    }
    I2C_Start();
    return Sent(write_address | kReadBit);
}

// R followed by A (more to come) or N (the last byte).
inline int Received(int acknowledge) {
    const int byte = I2C_ReadByte();
    I2C_SendAck(acknowledge);
    return byte;
}

// R C: the last byte in, then a ninth clock with SDA released. The device
// sees a not-acknowledge, as after N, but the clock is a bit read (one more
// pin sample than N) whose value means nothing.
inline int ReceivedThenClock() {
    const int byte = I2C_ReadByte();
    static_cast<void>(I2C_ReadBit());
    return byte;
}

// The one failure exit of a transaction: a byte was not acknowledged. The
// stop ends the transaction on the bus, repeated starts and all.
inline int Abandon() {
    I2C_Stop();
    return I2C_NOACK;
}

}  // namespace bus
