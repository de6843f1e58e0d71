#include "fake_libusb.h"

#include <algorithm>
#include <array>
#include <deque>

#include <libusb.h>

namespace {

constexpr std::uint16_t kFtdiVendor = 0x0403;
constexpr std::uint8_t kReadPinsRequest = 0x0C;
constexpr int kMaxChannels = 4;

} // namespace

// libusb leaves these types opaque; here they are the fake's own.
struct libusb_context {
    int unused;
};

struct libusb_device {
    int slot;
    fake_usb::Chip chip;
    std::array<libusb_endpoint_descriptor, kMaxChannels> endpoints;
    std::array<libusb_interface_descriptor, kMaxChannels> settings;
    std::array<libusb_interface, kMaxChannels> interfaces;
    libusb_config_descriptor config;
};

struct libusb_device_handle {
    libusb_device* device;
};

namespace {

libusb_context g_context{};
fake_usb::Bus g_bus;
// Chips and handles are never freed: the library under test keeps its
// adapters open for the life of the process.
std::deque<libusb_device> g_chips;
std::deque<libusb_device_handle> g_handles;
std::vector<libusb_device*> g_attached;

void Describe(libusb_device& device)
{
    const bool hi_speed = device.chip.bcd_device >= 0x700 && device.chip.bcd_device <= 0x900;
    for (int i = 0; i < device.chip.channels; ++i) {
        const auto n = static_cast<std::size_t>(i);
        device.endpoints[n] = {};
        device.endpoints[n].wMaxPacketSize = hi_speed ? 512 : 64;
        device.settings[n] = {};
        device.settings[n].bInterfaceNumber = static_cast<std::uint8_t>(i);
        device.settings[n].bNumEndpoints = 1;
        device.settings[n].endpoint = &device.endpoints[n];
        device.interfaces[n] = {};
        device.interfaces[n].altsetting = &device.settings[n];
        device.interfaces[n].num_altsetting = 1;
    }
    device.config = {};
    device.config.bConfigurationValue = 1;
    device.config.bNumInterfaces = static_cast<std::uint8_t>(device.chip.channels);
    device.config.interface = device.interfaces.data();
}

} // namespace

namespace fake_usb {

void Attach(const std::vector<Chip>& chips)
{
    g_bus = Bus{};
    g_attached.clear();
    for (const Chip& chip : chips) {
        libusb_device& device = g_chips.emplace_back();
        device.slot = static_cast<int>(g_attached.size());
        device.chip = chip;
        Describe(device);
        g_attached.push_back(&device);
    }
}

Bus& State()
{
    return g_bus;
}

} // namespace fake_usb

extern "C" {

int LIBUSB_CALL libusb_init(libusb_context** context)
{
    if (context != nullptr) {
        *context = &g_context;
    }
    return LIBUSB_SUCCESS;
}

void LIBUSB_CALL libusb_exit(libusb_context*) {}

ssize_t LIBUSB_CALL libusb_get_device_list(libusb_context*, libusb_device*** list)
{
    auto* devices = new libusb_device*[g_attached.size() + 1];
    std::copy(g_attached.begin(), g_attached.end(), devices);
    devices[g_attached.size()] = nullptr;
    *list = devices;
    return static_cast<ssize_t>(g_attached.size());
}

void LIBUSB_CALL libusb_free_device_list(libusb_device** list, int)
{
    delete[] list;
}

libusb_device* LIBUSB_CALL libusb_ref_device(libusb_device* device)
{
    return device;
}

void LIBUSB_CALL libusb_unref_device(libusb_device*) {}

int LIBUSB_CALL libusb_get_device_descriptor(libusb_device* device, libusb_device_descriptor* descriptor)
{
    *descriptor = {};
    descriptor->idVendor = kFtdiVendor;
    descriptor->idProduct = device->chip.product;
    descriptor->bcdDevice = device->chip.bcd_device;
    descriptor->iSerialNumber = 3;
    descriptor->bNumConfigurations = 1;
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_get_config_descriptor(libusb_device* device, uint8_t, libusb_config_descriptor** config)
{
    *config = &device->config;
    return LIBUSB_SUCCESS;
}

void LIBUSB_CALL libusb_free_config_descriptor(libusb_config_descriptor*) {}

int LIBUSB_CALL libusb_open(libusb_device* device, libusb_device_handle** handle)
{
    if (g_bus.refuse_open) {
        return LIBUSB_ERROR_ACCESS;
    }
    *handle = &g_handles.emplace_back(libusb_device_handle{device});
    return LIBUSB_SUCCESS;
}

void LIBUSB_CALL libusb_close(libusb_device_handle*) {}

int LIBUSB_CALL libusb_detach_kernel_driver(libusb_device_handle*, int)
{
    return LIBUSB_ERROR_NOT_FOUND; // no kernel driver bound
}

int LIBUSB_CALL libusb_set_auto_detach_kernel_driver(libusb_device_handle*, int)
{
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_get_configuration(libusb_device_handle*, int* config)
{
    *config = 1;
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_set_configuration(libusb_device_handle*, int)
{
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_claim_interface(libusb_device_handle* handle, int interface_number)
{
    if (interface_number >= handle->device->chip.channels) {
        return LIBUSB_ERROR_NOT_FOUND;
    }
    g_bus.claims.push_back({handle->device->slot, interface_number});
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_release_interface(libusb_device_handle*, int)
{
    return LIBUSB_SUCCESS;
}

int LIBUSB_CALL libusb_control_transfer(libusb_device_handle* handle, uint8_t, uint8_t request, uint16_t value,
                                        uint16_t index, unsigned char* data, uint16_t length, unsigned int)
{
    g_bus.control.push_back({handle->device->slot, request, value, index});
    if (request == kReadPinsRequest) {
        if (g_bus.fail_pin_reads || length < 1) {
            return LIBUSB_ERROR_IO;
        }
        data[0] = g_bus.pins;
        return 1;
    }
    return 0;
}

int LIBUSB_CALL libusb_bulk_transfer(libusb_device_handle*, unsigned char, unsigned char* data, int length,
                                     int* actual_length, unsigned int)
{
    *actual_length = 0;
    if (g_bus.fail_bulk) {
        return LIBUSB_ERROR_IO;
    }
    const int accepted = std::min(length, g_bus.bulk_accept_limit);
    g_bus.bulk_out.insert(g_bus.bulk_out.end(), data, data + accepted);
    g_bus.bulk_transfer_sizes.push_back(accepted);
    *actual_length = accepted;
    return LIBUSB_SUCCESS;
}

} // extern "C"
