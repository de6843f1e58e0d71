// The libftdi adapter library as the link sees it, on a machine with no
// adapter attached.

#include "entry_points.h"

#include <gtest/gtest.h>

namespace {

using namespace adapter_test;

class AdapterLibrary : public ::testing::Test {
protected:
    void SetUp() override
    {
        const char* error = ft.Load(FTDI_ADAPTER_LIBRARY);
        ASSERT_EQ(error, nullptr) << error;
    }

    EntryPoints ft;
};

TEST_F(AdapterLibrary, OpenWithNoAdapterAttachedReportsDeviceNotFound)
{
    for (int index : {0, 1, 7, -1}) {
        FtHandle handle = &handle; // must stay untouched on failure
        EXPECT_EQ(ft.open(index, &handle), kDeviceNotFound) << "index " << index;
        EXPECT_EQ(handle, &handle) << "index " << index;
    }
}

TEST_F(AdapterLibrary, OpenWithoutHandleAddressIsInvalidParameter)
{
    EXPECT_EQ(ft.open(0, nullptr), kInvalidParameter);
}

// Null, a pointer to something else, and a pointer just past an object: none
// is an adapter this library opened, and none may be dereferenced.
TEST_F(AdapterLibrary, CallsOnAHandleItDidNotOpenReportInvalidHandle)
{
    int unrelated = 0;
    unsigned char foreign[64] = {};
    const FtHandle handles[] = {nullptr, &unrelated, foreign + sizeof foreign};
    for (FtHandle handle : handles) {
        unsigned char bytes[] = {0x02, 0x03, 0x01, 0x00};
        std::uint32_t written = 99;
        unsigned char pins = 0x5A;
        EXPECT_EQ(ft.set_baud_rate(handle, 57600), kInvalidHandle);
        EXPECT_EQ(ft.set_bit_mode(handle, 0x03, 0x01), kInvalidHandle);
        EXPECT_EQ(ft.write(handle, bytes, sizeof bytes, &written), kInvalidHandle);
        EXPECT_EQ(ft.get_bit_mode(handle, &pins), kInvalidHandle);
        EXPECT_EQ(written, 99U) << "count written on a refused call";
        EXPECT_EQ(pins, 0x5A) << "pins written on a refused call";
    }
    EXPECT_EQ(unrelated, 0);
}

} // namespace
