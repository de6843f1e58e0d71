// Register interface to a peripheral behind a two-latch adapter on the PC
// parallel port.
//
// The adapter has two 8-bit latches fed from the port's data lines (base).
// Each loads on a pulse of its own bit in the port's control register
// (base + 2). The control latch carries a register number and three
// active-low lines:
//
//   bit  7      6      5          4..0
//        nWRITE nREAD  nLOOPBACK  register number (0..31)
//
// Bytes come back a nibble at a time on status bits 7..4 (base + 1); control
// register bit 3 chooses which nibble the adapter presents.
//
// Every access below is one byte-wide port access; their order is the
// protocol, so nothing is reordered, merged or skipped. No delays: the latches
// and the read-back multiplexer settle far faster than an ISA-speed port
// access.

#include "lpt/lpt.h"

#include <array>
#include <cstddef>

#include "platform/port_io.h"

namespace {

// Port register offsets from the base.
constexpr unsigned short kDataOffset = 0;    // data lines, written
constexpr unsigned short kStatusOffset = 1;  // status lines, read
constexpr unsigned short kControlOffset = 2; // control register, written

// Standard parallel-port bases, indexed by port number 1..3.
constexpr std::array<unsigned short, 3> kPortBases{
    0x3BC, // LPT1, on the display adapter
    0x378, // LPT2
    0x278, // LPT3
};
constexpr int kFirstPort = 1;
constexpr int kDefaultPort = 2;
constexpr unsigned short kDefaultBase = kPortBases[kDefaultPort - kFirstPort];

// Port control register values.
constexpr int kControlIdle = 0x00;             // no strobe; low nibble selected
constexpr int kControlStrobeCtlLatch = 0x01;   // pulse loads the control latch
constexpr int kControlStrobeDataLatch = 0x02;  // pulse loads the data latch
constexpr int kControlHighNibble = 0x08;       // adapter presents the high nibble

// Control-latch lines (active low) and register field.
constexpr int kLineLoopback = 0x20; // data latch onto the read-back path
constexpr int kLineRead = 0x40;     // selected register onto the read-back path
constexpr int kLineWrite = 0x80;    // data latch into the selected register
constexpr int kLinesIdle = kLineWrite | kLineRead | kLineLoopback;
constexpr int kRegisterMask = 0x1F;

// Status register: the nibble arrives on bits 7..4; bit 7 is inverted by the
// port hardware (BUSY); bits 3..0 carry unrelated port signals.
constexpr int kStatusInverted = 0x80;
constexpr int kStatusNibbleShift = 4;
constexpr int kLowNibble = 0x0F;
constexpr int kHighNibble = 0xF0;

constexpr int kByteValues = 256;

unsigned short g_base = kDefaultBase;

void Out(unsigned short offset, int value)
{
    PORT_Out(static_cast<unsigned short>(g_base + offset), value & 0xFF);
}

int InStatus()
{
    return PORT_In(static_cast<unsigned short>(g_base + kStatusOffset)) ^ kStatusInverted;
}

// The latch clocks on the strobe; the data lines are already stable.
void PulseLatch(int strobe, int value)
{
    Out(kDataOffset, value);
    Out(kControlOffset, strobe);
    Out(kControlOffset, kControlIdle);
}

// Control-latch byte with every line released (high) except `asserted`.
constexpr int ControlByte(int reg, int asserted = 0)
{
    return (kLinesIdle & ~asserted) | (reg & kRegisterMask);
}

} // namespace

extern "C" int LPT_SelectPort(int port)
{
    if (port < kFirstPort || port >= kFirstPort + static_cast<int>(kPortBases.size())) {
        g_base = kDefaultBase;
        return 1;
    }
    g_base = kPortBases[static_cast<std::size_t>(port - kFirstPort)];
    return 0;
}

extern "C" void LPT_LoadData(int value)
{
    PulseLatch(kControlStrobeDataLatch, value);
}

extern "C" void LPT_LoadControl(int value)
{
    PulseLatch(kControlStrobeCtlLatch, value);
}

// Leaves the control register at kControlHighNibble.
extern "C" int LPT_ReadByte(void)
{
    Out(kControlOffset, kControlIdle);
    const int low = (InStatus() >> kStatusNibbleShift) & kLowNibble;
    Out(kControlOffset, kControlHighNibble);
    const int high = InStatus() & kHighNibble;
    return high + low;
}

extern "C" void LPT_WriteRegister(int reg, int value)
{
    const int r = reg & kRegisterMask;
    LPT_LoadData(value);
    LPT_LoadControl(ControlByte(r));
    LPT_LoadControl(ControlByte(r, kLineWrite)); // write pulse: data latch -> register
    LPT_LoadControl(ControlByte(r));
}

extern "C" int LPT_ReadRegister(int reg)
{
    const int r = reg & kRegisterMask;
    LPT_LoadControl(ControlByte(r));
    LPT_LoadControl(ControlByte(r, kLineRead)); // register drives the read-back path
    const int value = LPT_ReadByte();
    LPT_LoadControl(ControlByte(r));
    return value;
}

// Loop-back over register 0: every byte value goes into the data latch and
// must come back unchanged on the status lines. All 256 values are tried even
// after a mismatch, so a run always drives the same sequence on the port.
extern "C" int LPT_SelfTest(void)
{
    constexpr int kSelfTestRegister = 0;
    LPT_LoadControl(ControlByte(kSelfTestRegister));
    LPT_LoadControl(ControlByte(kSelfTestRegister, kLineLoopback));
    int fail = 0;
    for (int value = 0; value < kByteValues; ++value) {
        LPT_LoadData(value);
        if (LPT_ReadByte() != value) {
            fail = 1;
        }
    }
    LPT_LoadControl(ControlByte(kSelfTestRegister));
    return fail;
}
