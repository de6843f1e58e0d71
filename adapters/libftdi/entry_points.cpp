// The five adapter entry points the bit-bang link binds by name, on top of
// libftdi1, for Linux systems without the chip vendor's own driver library.
//
//   FT_Open         index-th attached adapter channel -> opaque handle
//   FT_SetBaudRate  the baud divisor that paces bit-bang pin states
//   FT_SetBitMode   pin directions and bit mode (1 = asynchronous bit-bang)
//   FT_Write        every byte, in order, onto the pins
//   FT_GetBitMode   the levels of D7..D0 now, not a buffered sample
//
// A handle is the address of an Adapter below. Every entry point checks it
// against the adapters this library opened, so a stale or foreign pointer is
// refused with "invalid handle" instead of being dereferenced. There is no
// close: an opened adapter stays open until the process exits, and the kernel
// releases the USB interface then.

#include "adapters/libftdi/status_map.h"

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <new>

#include <ftdi.h>

using FT_STATUS = std::uint32_t;
using FT_HANDLE = void*;

#define FT_EXPORT extern "C" __attribute__((visibility("default")))

FT_EXPORT FT_STATUS FT_Open(int index, FT_HANDLE* handle);
FT_EXPORT FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud_rate);
FT_EXPORT FT_STATUS FT_SetBitMode(FT_HANDLE handle, unsigned char mask, unsigned char mode);
FT_EXPORT FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, std::uint32_t count,
                             std::uint32_t* written);
FT_EXPORT FT_STATUS FT_GetBitMode(FT_HANDLE handle, unsigned char* pins);

namespace {

using ftdi_adapter::FtdiCall;
using ftdi_adapter::Status;
using ftdi_adapter::StatusFromFtdi;

constexpr int kVendorId = 0x0403;

struct AdapterKind {
    int product;  // USB product ID
    int channels; // independent bit-bang ports on the chip (A, B, ...)
};

// Adapters are counted in this order of product, then in USB enumeration
// order, then channel A, B, ... of a multi-channel chip: index 0 is the first
// attached single-channel FT232R if there is one.
constexpr std::array kAdapterKinds{
    AdapterKind{0x6001, 1}, // FT232R / FT245R / FT232BM
    AdapterKind{0x6010, 2}, // FT2232C/D/H
    AdapterKind{0x6011, 4}, // FT4232H
    AdapterKind{0x6014, 1}, // FT232H
    AdapterKind{0x6015, 1}, // FT-X series
};
constexpr std::array kChannels{INTERFACE_A, INTERFACE_B, INTERFACE_C, INTERFACE_D};

// Bit modes the chips accept: 0 returns the pins to the UART/FIFO function,
// otherwise exactly one mode bit (0x01 asynchronous bit-bang ... 0x40
// synchronous FIFO). The value goes to the chip unchanged.
constexpr unsigned kBitModeReset = 0x00;
constexpr unsigned kBitModeHighest = 0x40;

constexpr bool IsBitMode(unsigned mode)
{
    return mode == kBitModeReset || (mode <= kBitModeHighest && (mode & (mode - 1U)) == 0U);
}

// Largest piece handed to one ftdi_write_data call (which takes an int).
constexpr std::uint32_t kMaxWritePiece = 1U << 20;

struct Adapter {
    ftdi_context ftdi{};
    std::mutex lock;         // one USB exchange at a time on this adapter
    Adapter* next = nullptr; // chain of every adapter opened in this process
};

std::mutex g_registry_lock;
Adapter* g_adapters = nullptr;

constexpr FT_STATUS Code(Status status)
{
    return static_cast<FT_STATUS>(status);
}

Adapter* FindAdapter(FT_HANDLE handle)
{
    if (handle == nullptr) {
        return nullptr;
    }
    const std::lock_guard guard(g_registry_lock);
    for (Adapter* adapter = g_adapters; adapter != nullptr; adapter = adapter->next) {
        if (adapter == handle) {
            return adapter;
        }
    }
    return nullptr;
}

void RegisterAdapter(Adapter* adapter)
{
    const std::lock_guard guard(g_registry_lock);
    adapter->next = g_adapters;
    g_adapters = adapter;
}

// Opens adapter channel number `index` (see kAdapterKinds for the order).
Status OpenIndexed(ftdi_context* ftdi, int index)
{
    int remaining = index;
    for (const AdapterKind& kind : kAdapterKinds) {
        ftdi_device_list* devices = nullptr;
        const int found = ftdi_usb_find_all(ftdi, &devices, kVendorId, kind.product);
        if (found < 0) {
            ftdi_list_free(&devices);
            return StatusFromFtdi(FtdiCall::FindAll, found);
        }
        const int channels_here = found * kind.channels;
        if (remaining >= channels_here) {
            remaining -= channels_here;
            ftdi_list_free(&devices);
            continue;
        }

        ftdi_device_list* device = devices;
        for (int skip = remaining / kind.channels; skip > 0; --skip) {
            device = device->next;
        }
        const auto channel = kChannels[static_cast<std::size_t>(remaining % kind.channels)];
        Status status = StatusFromFtdi(FtdiCall::SetChannel, ftdi_set_interface(ftdi, channel));
        if (status == Status::Ok) {
            // Opening also detaches the kernel's serial driver from this
            // interface, resets the chip and sets 9600 baud.
            status = StatusFromFtdi(FtdiCall::OpenDevice, ftdi_usb_open_dev(ftdi, device->dev));
        }
        ftdi_list_free(&devices);
        return status;
    }
    return Status::DeviceNotFound;
}

} // namespace

FT_STATUS FT_Open(int index, FT_HANDLE* handle)
{
    if (handle == nullptr) {
        return Code(Status::InvalidParameter);
    }
    if (index < 0) {
        return Code(Status::DeviceNotFound);
    }
    auto* adapter = new (std::nothrow) Adapter;
    if (adapter == nullptr) {
        return Code(Status::InsufficientResources);
    }
    Status status = StatusFromFtdi(FtdiCall::Init, ftdi_init(&adapter->ftdi));
    if (status == Status::Ok) {
        status = OpenIndexed(&adapter->ftdi, index);
    }
    if (status != Status::Ok) {
        ftdi_deinit(&adapter->ftdi);
        delete adapter;
        return Code(status);
    }
    RegisterAdapter(adapter);
    *handle = adapter;
    return Code(Status::Ok);
}

FT_STATUS FT_SetBaudRate(FT_HANDLE handle, std::uint32_t baud_rate)
{
    Adapter* adapter = FindAdapter(handle);
    if (adapter == nullptr) {
        return Code(Status::InvalidHandle);
    }
    if (baud_rate == 0U || baud_rate > static_cast<std::uint32_t>(INT_MAX)) {
        return Code(Status::InvalidParameter);
    }
    const std::lock_guard guard(adapter->lock);
    // The chip has one divisor for both functions: in bit-bang mode it paces
    // pin states at 16 x the rate it would give the UART. libftdi scales the
    // request by 4 while any bit mode is on; the divisor must be the one for
    // the rate asked, whether the mode is switched on before or after, so
    // the conversion is made as if the UART were active. The mode itself is
    // not touched: leaving bit-bang for a moment would float the pins.
    const unsigned char bit_mode_on = adapter->ftdi.bitbang_enabled;
    adapter->ftdi.bitbang_enabled = 0;
    const int result = ftdi_set_baudrate(&adapter->ftdi, static_cast<int>(baud_rate));
    adapter->ftdi.bitbang_enabled = bit_mode_on;
    return Code(StatusFromFtdi(FtdiCall::SetBaudRate, result));
}

FT_STATUS FT_SetBitMode(FT_HANDLE handle, unsigned char mask, unsigned char mode)
{
    Adapter* adapter = FindAdapter(handle);
    if (adapter == nullptr) {
        return Code(Status::InvalidHandle);
    }
    if (!IsBitMode(mode)) {
        return Code(Status::InvalidParameter);
    }
    const std::lock_guard guard(adapter->lock);
    return Code(StatusFromFtdi(FtdiCall::SetBitMode, ftdi_set_bitmode(&adapter->ftdi, mask, mode)));
}

FT_STATUS FT_Write(FT_HANDLE handle, void* buffer, std::uint32_t count, std::uint32_t* written)
{
    Adapter* adapter = FindAdapter(handle);
    if (adapter == nullptr) {
        return Code(Status::InvalidHandle);
    }
    if (written == nullptr || (buffer == nullptr && count != 0U)) {
        return Code(Status::InvalidParameter);
    }
    const std::lock_guard guard(adapter->lock);
    const auto* bytes = static_cast<const unsigned char*>(buffer);
    std::uint32_t done = 0;
    Status status = Status::Ok;
    // libftdi loops over its own USB chunks; this loop covers a call that
    // still returns short, so the caller gets every byte or an error.
    while (done < count) {
        const std::uint32_t piece = count - done < kMaxWritePiece ? count - done : kMaxWritePiece;
        const int result = ftdi_write_data(&adapter->ftdi, bytes + done, static_cast<int>(piece));
        if (result < 0) {
            status = StatusFromFtdi(FtdiCall::WriteData, result);
            break;
        }
        if (result == 0) { // no progress: the endpoint accepts nothing
            status = Status::IoError;
            break;
        }
        done += static_cast<std::uint32_t>(result);
    }
    *written = done;
    return Code(status);
}

FT_STATUS FT_GetBitMode(FT_HANDLE handle, unsigned char* pins)
{
    Adapter* adapter = FindAdapter(handle);
    if (adapter == nullptr) {
        return Code(Status::InvalidHandle);
    }
    if (pins == nullptr) {
        return Code(Status::InvalidParameter);
    }
    const std::lock_guard guard(adapter->lock);
    unsigned char levels = 0;
    const Status status = StatusFromFtdi(FtdiCall::ReadPins, ftdi_read_pins(&adapter->ftdi, &levels));
    if (status == Status::Ok) {
        *pins = levels;
    }
    return Code(status);
}
