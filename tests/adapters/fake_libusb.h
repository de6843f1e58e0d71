// A USB bus with FTDI chips on it, in place of libusb. The test executable
// defines the libusb calls libftdi makes; the dynamic loader binds libftdi to
// these definitions before the real libusb, so the adapter library runs its
// real code down to the USB requests, with no hardware.

#ifndef TESTS_ADAPTERS_FAKE_LIBUSB_H
#define TESTS_ADAPTERS_FAKE_LIBUSB_H

#include <cstdint>
#include <vector>

namespace fake_usb {

struct Chip {
    std::uint16_t product;    // USB product ID (vendor is always 0x0403)
    std::uint16_t bcd_device; // chip generation, as libftdi reads it
    int channels;             // interfaces A, B, ...
};

// A control request as the chip received it.
struct ControlRequest {
    int slot; // position of the chip on the bus
    std::uint8_t request;
    std::uint16_t value;
    std::uint16_t index;
};

struct Claim {
    int slot;
    int interface_number;
};

struct Bus {
    std::vector<ControlRequest> control;
    std::vector<Claim> claims;
    std::vector<std::uint8_t> bulk_out;    // every byte written, in order
    std::vector<int> bulk_transfer_sizes;  // bytes accepted per bulk transfer
    int bulk_accept_limit = 1 << 16;       // a transfer takes at most this many
    bool fail_bulk = false;
    bool fail_pin_reads = false;
    bool refuse_open = false;
    std::uint8_t pins = 0;                  // what a pin read returns
};

// Empties the bus and its logs, then plugs in `chips` in this USB order.
void Attach(const std::vector<Chip>& chips);
Bus& State();

} // namespace fake_usb

#endif
