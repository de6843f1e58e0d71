// Translation of libftdi1 return codes into the adapter status codes that the
// five FT_ entry points report.
//
// libftdi numbers its failures per function (-3 is "device not found" for one
// call and "unable to configure the device" for another), so a code only has a
// meaning together with the call that returned it. The translation is one
// table keyed on (call, code) with a fallback per call, and nothing else: it
// touches no device and is checked on its own.

#ifndef ADAPTERS_LIBFTDI_STATUS_MAP_H
#define ADAPTERS_LIBFTDI_STATUS_MAP_H

#include <array>
#include <cstdint>

namespace ftdi_adapter {

// Status codes of the adapter library interface (0 = success).
enum class Status : std::uint32_t {
    Ok = 0,
    InvalidHandle = 1,
    DeviceNotFound = 2,
    DeviceNotOpened = 3,
    IoError = 4,
    InsufficientResources = 5,
    InvalidParameter = 6,
};

// The libftdi1 calls whose results are translated.
enum class FtdiCall : std::uint8_t {
    Init,        // ftdi_init: context, read buffer, libusb session
    FindAll,     // ftdi_usb_find_all: enumerate one vendor/product pair
    SetChannel,  // ftdi_set_interface: pick channel A..D before opening
    OpenDevice,  // ftdi_usb_open_dev: open, claim, reset, 9600 baud
    SetBaudRate, // ftdi_set_baudrate
    SetBitMode,  // ftdi_set_bitmode
    WriteData,   // ftdi_write_data
    ReadPins,    // ftdi_read_pins: one control transfer, pins as they are now
};

struct StatusRule {
    FtdiCall call;
    int code;
    Status status;
};

// Specific codes, as libftdi 1.x documents them.
inline constexpr std::array kStatusRules{
    StatusRule{FtdiCall::Init, -1, Status::InsufficientResources}, // read buffer allocation
    StatusRule{FtdiCall::Init, -2, Status::InsufficientResources}, // context allocation
    StatusRule{FtdiCall::Init, -3, Status::DeviceNotFound},        // no USB subsystem: nothing to find
    StatusRule{FtdiCall::FindAll, -3, Status::InsufficientResources}, // out of memory
    StatusRule{FtdiCall::FindAll, -5, Status::IoError},               // device list unavailable
    StatusRule{FtdiCall::FindAll, -6, Status::IoError},               // device descriptor unreadable
    StatusRule{FtdiCall::SetChannel, -1, Status::InvalidParameter},   // no such channel
    StatusRule{FtdiCall::SetBaudRate, -1, Status::InvalidParameter},  // rate out of the chip's range
    StatusRule{FtdiCall::SetBaudRate, -2, Status::IoError},           // control transfer failed
    StatusRule{FtdiCall::SetBaudRate, -3, Status::DeviceNotOpened},   // no USB device behind the context
    StatusRule{FtdiCall::SetBitMode, -1, Status::IoError},
    StatusRule{FtdiCall::SetBitMode, -2, Status::DeviceNotOpened},
    StatusRule{FtdiCall::WriteData, -666, Status::DeviceNotOpened},
    StatusRule{FtdiCall::ReadPins, -1, Status::IoError},
    StatusRule{FtdiCall::ReadPins, -2, Status::DeviceNotOpened},
};

// Any other negative code: a device that was found but could not be opened
// (claimed by another program, no permission, reset refused) is "not opened";
// everything else is a failed USB exchange.
constexpr Status FallbackStatus(FtdiCall call)
{
    switch (call) {
    case FtdiCall::SetChannel:
    case FtdiCall::OpenDevice:
        return Status::DeviceNotOpened;
    default:
        return Status::IoError;
    }
}

// Adapter status for the value a libftdi call returned. Zero and positive
// values (byte or device counts) are success.
constexpr Status StatusFromFtdi(FtdiCall call, int code)
{
    if (code >= 0) {
        return Status::Ok;
    }
    for (const StatusRule& rule : kStatusRules) {
        if (rule.call == call && rule.code == code) {
            return rule.status;
        }
    }
    return FallbackStatus(call);
}

} // namespace ftdi_adapter

#endif
