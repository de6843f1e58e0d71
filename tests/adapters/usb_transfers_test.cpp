// The libftdi adapter library down to the USB requests, on a fake bus of
// FTDI chips (fake_libusb.h): which chip and channel an index opens, the baud
// divisor and bit mode sent to the chip, pin-state bytes on the bulk endpoint,
// pin reads, and how USB failures come back.

#include "entry_points.h"
#include "fake_libusb.h"

#include <algorithm>
#include <vector>

#include <gtest/gtest.h>

namespace {

using namespace adapter_test;
using fake_usb::Chip;

// Chip identities as libftdi tells them apart (product ID, bcdDevice).
constexpr Chip kFt232r{0x6001, 0x600, 1};
constexpr Chip kFt2232h{0x6010, 0x700, 2};
constexpr Chip kFt4232h{0x6011, 0x800, 4};
constexpr Chip kFt232h{0x6014, 0x900, 1};
constexpr Chip kFt230x{0x6015, 0x1000, 1};

// Vendor requests on the control endpoint.
constexpr std::uint8_t kSetBaudRateRequest = 0x03;
constexpr std::uint8_t kSetBitModeRequest = 0x0B;
constexpr std::uint8_t kReadPinsRequest = 0x0C;

// 57600 baud on a 3 MHz baud clock: 3e6 / 57600 = 52.08, nearest divisor
// 52 1/8 (eighths coded 3 in bits 15..14): 0xC034, nothing in the index.
constexpr std::uint16_t kDivisor57600 = 0xC034;
constexpr std::uint16_t kDivisor57600Index = 0x0000;

// Mask 0x03 (D0, D1 outputs) and mode 0x01 (asynchronous bit-bang), channel A.
constexpr std::uint16_t kAsyncBitBangD0D1 = 0x0103;
constexpr std::uint16_t kChannelA = 1;

class UsbTransfers : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* error = ft.Load(FTDI_ADAPTER_LIBRARY);
        ASSERT_EQ(error, nullptr) << error;
        fake_usb::Attach({kFt232r});
    }

    FtHandle OpenFirst()
    {
        FtHandle handle = nullptr;
        EXPECT_EQ(ft.open(0, &handle), kOk);
        return handle;
    }

    // The requests of one kind the chip received, oldest first.
    static std::vector<fake_usb::ControlRequest> Requests(std::uint8_t request)
    {
        std::vector<fake_usb::ControlRequest> found;
        for (const auto& r : fake_usb::State().control) {
            if (r.request == request) {
                found.push_back(r);
            }
        }
        return found;
    }

    EntryPoints ft;
};

TEST_F(UsbTransfers, IndexCountsProductsInOrderThenBusOrderThenChannels)
{
    // USB order on purpose unlike the product order.
    fake_usb::Attach({kFt4232h, kFt232r, kFt2232h, kFt232r, kFt232h, kFt230x});
    struct Expect {
        int index;
        int slot;
        int interface_number;
    };
    const Expect table[] = {
        {0, 1, 0}, {1, 3, 0},                       // FT232R, FT232R
        {2, 2, 0}, {3, 2, 1},                       // FT2232H A, B
        {4, 0, 0}, {5, 0, 1}, {6, 0, 2}, {7, 0, 3}, // FT4232H A..D
        {8, 4, 0},                                  // FT232H
        {9, 5, 0},                                  // FT230X
    };
    for (const Expect& e : table) {
        fake_usb::State().claims.clear();
        FtHandle handle = nullptr;
        ASSERT_EQ(ft.open(e.index, &handle), kOk) << "index " << e.index;
        ASSERT_NE(handle, nullptr);
        ASSERT_EQ(fake_usb::State().claims.size(), 1U) << "index " << e.index;
        EXPECT_EQ(fake_usb::State().claims[0].slot, e.slot) << "index " << e.index;
        EXPECT_EQ(fake_usb::State().claims[0].interface_number, e.interface_number) << "index " << e.index;
    }
    FtHandle handle = &handle;
    EXPECT_EQ(ft.open(10, &handle), kDeviceNotFound);
    EXPECT_EQ(handle, &handle);
}

TEST_F(UsbTransfers, EachOpenGivesItsOwnHandle)
{
    FtHandle first = OpenFirst();
    FtHandle second = OpenFirst();
    EXPECT_NE(first, second);
    EXPECT_EQ(ft.set_bit_mode(first, 0x03, 0x01), kOk);
    EXPECT_EQ(ft.set_bit_mode(second, 0x03, 0x01), kOk);
}

// The pin-state rate follows the baud divisor. Whether the rate is set
// before or after bit-bang is switched on, the chip must get the divisor of
// the rate asked for, not that of four times it.
TEST_F(UsbTransfers, BaudDivisorIsTheRequestedRateWhicheverComesFirst)
{
    struct Order {
        const char* name;
        bool rate_first;
    };
    for (const Order order : {Order{"rate, then bit-bang", true}, Order{"bit-bang, then rate", false}}) {
        fake_usb::Attach({kFt232r});
        FtHandle handle = OpenFirst();
        if (order.rate_first) {
            ASSERT_EQ(ft.set_baud_rate(handle, 57600), kOk) << order.name;
            ASSERT_EQ(ft.set_bit_mode(handle, 0x03, 0x01), kOk) << order.name;
        } else {
            ASSERT_EQ(ft.set_bit_mode(handle, 0x03, 0x01), kOk) << order.name;
            ASSERT_EQ(ft.set_baud_rate(handle, 57600), kOk) << order.name;
        }
        const auto rates = Requests(kSetBaudRateRequest);
        ASSERT_FALSE(rates.empty()) << order.name;
        EXPECT_EQ(rates.back().value, kDivisor57600) << order.name;
        EXPECT_EQ(rates.back().index, kDivisor57600Index) << order.name;

        const auto modes = Requests(kSetBitModeRequest);
        ASSERT_EQ(modes.size(), 1U) << order.name;
        EXPECT_EQ(modes[0].value, kAsyncBitBangD0D1) << order.name;
        EXPECT_EQ(modes[0].index, kChannelA) << order.name;
    }
}

TEST_F(UsbTransfers, BitModeResetAndRateAfterItStillUseTheRequestedRate)
{
    FtHandle handle = OpenFirst();
    ASSERT_EQ(ft.set_bit_mode(handle, 0x03, 0x01), kOk);
    ASSERT_EQ(ft.set_bit_mode(handle, 0x00, 0x00), kOk);
    ASSERT_EQ(ft.set_baud_rate(handle, 57600), kOk);
    EXPECT_EQ(Requests(kSetBitModeRequest).back().value, 0x0000);
    EXPECT_EQ(Requests(kSetBaudRateRequest).back().value, kDivisor57600);
}

TEST_F(UsbTransfers, RejectsValuesTheChipCannotTake)
{
    FtHandle handle = OpenFirst();
    const auto requests_before = fake_usb::State().control.size();
    EXPECT_EQ(ft.set_baud_rate(handle, 0), kInvalidParameter);
    EXPECT_EQ(ft.set_baud_rate(handle, 0x80000000U), kInvalidParameter);
    EXPECT_EQ(ft.set_bit_mode(handle, 0x03, 0x03), kInvalidParameter); // two modes at once
    EXPECT_EQ(ft.set_bit_mode(handle, 0x03, 0x80), kInvalidParameter);
    EXPECT_EQ(fake_usb::State().control.size(), requests_before) << "a rejected call reached the chip";

    unsigned char byte = 0x02;
    EXPECT_EQ(ft.write(handle, &byte, 1, nullptr), kInvalidParameter);
    std::uint32_t written = 0;
    EXPECT_EQ(ft.write(handle, nullptr, 1, &written), kInvalidParameter);
    EXPECT_EQ(ft.get_bit_mode(handle, nullptr), kInvalidParameter);
    EXPECT_TRUE(fake_usb::State().bulk_out.empty());
}

TEST_F(UsbTransfers, WriteDeliversEveryByteInOrderAcrossShortTransfers)
{
    FtHandle handle = OpenFirst();
    fake_usb::State().bulk_accept_limit = 5; // the endpoint takes 5 bytes at a time
    // A start condition then the byte 0x90 as three states per bit.
    std::vector<unsigned char> states = {0x02, 0x03, 0x01, 0x00};
    for (int bit = 7; bit >= 0; --bit) {
        const unsigned char sda = ((0x90 >> bit) & 1) != 0 ? 0x02 : 0x00;
        states.insert(states.end(), {sda, static_cast<unsigned char>(sda | 0x01), sda});
    }
    std::uint32_t written = 0;
    ASSERT_EQ(ft.write(handle, states.data(), static_cast<std::uint32_t>(states.size()), &written), kOk);
    EXPECT_EQ(written, states.size());
    EXPECT_EQ(fake_usb::State().bulk_out, states);
    EXPECT_GT(fake_usb::State().bulk_transfer_sizes.size(), 1U);
}

TEST_F(UsbTransfers, WriteOfNothingSucceedsWithoutTransfer)
{
    FtHandle handle = OpenFirst();
    std::uint32_t written = 7;
    EXPECT_EQ(ft.write(handle, nullptr, 0, &written), kOk);
    EXPECT_EQ(written, 0U);
    EXPECT_TRUE(fake_usb::State().bulk_transfer_sizes.empty());
}

TEST_F(UsbTransfers, FailedBulkTransferIsAnIoErrorWithNothingWritten)
{
    FtHandle handle = OpenFirst();
    fake_usb::State().fail_bulk = true;
    unsigned char states[] = {0x00, 0x01, 0x03, 0x02};
    std::uint32_t written = 99;
    EXPECT_EQ(ft.write(handle, states, sizeof states, &written), kIoError);
    EXPECT_EQ(written, 0U);
}

TEST_F(UsbTransfers, GetBitModeReadsThePinsNowOnTheOpenedChannel)
{
    fake_usb::Attach({kFt2232h});
    FtHandle channel_b = nullptr;
    ASSERT_EQ(ft.open(1, &channel_b), kOk);
    constexpr unsigned char kLevels[] = {0x00, 0x06, 0xFB};
    for (const unsigned char levels : kLevels) {
        fake_usb::State().pins = levels;
        unsigned char pins = 0x5A;
        ASSERT_EQ(ft.get_bit_mode(channel_b, &pins), kOk);
        EXPECT_EQ(pins, levels);
        EXPECT_EQ(Requests(kReadPinsRequest).back().index, 2) << "channel B";
    }
}

TEST_F(UsbTransfers, FailedPinReadIsAnIoErrorAndLeavesTheByteAlone)
{
    FtHandle handle = OpenFirst();
    fake_usb::State().fail_pin_reads = true;
    unsigned char pins = 0x5A;
    EXPECT_EQ(ft.get_bit_mode(handle, &pins), kIoError);
    EXPECT_EQ(pins, 0x5A);
}

TEST_F(UsbTransfers, AdapterPresentButRefusedIsNotOpenedRatherThanNotFound)
{
    fake_usb::State().refuse_open = true; // no permission, or held by another program
    FtHandle handle = &handle;
    EXPECT_EQ(ft.open(0, &handle), kDeviceNotOpened);
    EXPECT_EQ(handle, &handle);
}

} // namespace
