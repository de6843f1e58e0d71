// libftdi return codes -> adapter status codes, per libftdi call.

#include "adapters/libftdi/status_map.h"

#include <gtest/gtest.h>

namespace {

using ftdi_adapter::FtdiCall;
using ftdi_adapter::Status;
using ftdi_adapter::StatusFromFtdi;

struct Case {
    FtdiCall call;
    int code;
    Status expected;
    const char* what;
};

constexpr Case kCases[] = {
    // Success: zero, and the counts some calls return.
    {FtdiCall::Init, 0, Status::Ok, "context ready"},
    {FtdiCall::FindAll, 0, Status::Ok, "no device of this product (count 0)"},
    {FtdiCall::FindAll, 3, Status::Ok, "three devices found"},
    {FtdiCall::WriteData, 24, Status::Ok, "24 bytes written"},
    {FtdiCall::ReadPins, 0, Status::Ok, "pins read"},

    // The same number means different things for different calls.
    {FtdiCall::Init, -3, Status::DeviceNotFound, "no USB subsystem"},
    {FtdiCall::FindAll, -3, Status::InsufficientResources, "out of memory while listing"},
    {FtdiCall::SetBaudRate, -3, Status::DeviceNotOpened, "baud rate on a closed device"},
    {FtdiCall::OpenDevice, -3, Status::DeviceNotOpened, "configuration refused (serial driver bound)"},
    {FtdiCall::SetBaudRate, -1, Status::InvalidParameter, "rate the divisor cannot reach"},
    {FtdiCall::SetBitMode, -1, Status::IoError, "bit mode request failed"},
    {FtdiCall::ReadPins, -1, Status::IoError, "pin read transfer failed"},
    {FtdiCall::SetBitMode, -2, Status::DeviceNotOpened, "bit mode on a closed device"},
    {FtdiCall::ReadPins, -2, Status::DeviceNotOpened, "pin read on a closed device"},
    {FtdiCall::SetBaudRate, -2, Status::IoError, "baud rate transfer failed"},

    {FtdiCall::Init, -1, Status::InsufficientResources, "read buffer not allocated"},
    {FtdiCall::Init, -2, Status::InsufficientResources, "context buffer not allocated"},
    {FtdiCall::FindAll, -5, Status::IoError, "device list unavailable"},
    {FtdiCall::FindAll, -6, Status::IoError, "device descriptor unreadable"},
    {FtdiCall::SetChannel, -1, Status::InvalidParameter, "no such channel"},
    {FtdiCall::WriteData, -666, Status::DeviceNotOpened, "write on a closed device"},
    {FtdiCall::WriteData, -1, Status::IoError, "bulk transfer failed"},

    // Every way an open can fail, including permission (-8) and a
    // claimed interface (-5), is "not opened", never "not found".
    {FtdiCall::OpenDevice, -4, Status::DeviceNotOpened, "open refused"},
    {FtdiCall::OpenDevice, -5, Status::DeviceNotOpened, "interface claimed elsewhere"},
    {FtdiCall::OpenDevice, -8, Status::DeviceNotOpened, "no permission"},
    {FtdiCall::OpenDevice, -12, Status::DeviceNotOpened, "configuration unreadable"},
    {FtdiCall::SetChannel, -3, Status::DeviceNotOpened, "channel change on an open device"},

    // Codes no table row names fall back per call.
    {FtdiCall::ReadPins, -99, Status::IoError, "unknown pin read failure"},
    {FtdiCall::WriteData, -7, Status::IoError, "unknown write failure"},
    {FtdiCall::OpenDevice, -99, Status::DeviceNotOpened, "unknown open failure"},
};

TEST(StatusMap, TranslatesEachCallsCodes)
{
    for (const Case& c : kCases) {
        EXPECT_EQ(StatusFromFtdi(c.call, c.code), c.expected) << c.what << " (code " << c.code << ")";
    }
}

TEST(StatusMap, NoFailureEverReadsAsSuccess)
{
    constexpr FtdiCall kCalls[] = {FtdiCall::Init,        FtdiCall::FindAll,    FtdiCall::SetChannel,
                                   FtdiCall::OpenDevice,  FtdiCall::SetBaudRate, FtdiCall::SetBitMode,
                                   FtdiCall::WriteData,   FtdiCall::ReadPins};
    for (FtdiCall call : kCalls) {
        for (int code = -1; code >= -1000; --code) {
            const Status status = StatusFromFtdi(call, code);
            ASSERT_NE(status, Status::Ok) << "call " << static_cast<int>(call) << " code " << code;
            ASSERT_LE(static_cast<unsigned>(status), 6U);
        }
    }
}

// The table is usable where the compiler can check it.
static_assert(StatusFromFtdi(FtdiCall::FindAll, 0) == Status::Ok);
static_assert(StatusFromFtdi(FtdiCall::Init, -3) == Status::DeviceNotFound);

} // namespace
