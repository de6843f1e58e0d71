// The libftdi adapter library as the link sees it: loaded by file name at
// run time, five names resolved, and on a machine with no adapter attached.

#include <cstdint>
#include <dlfcn.h>

#include <gtest/gtest.h>

namespace {

using FtStatus = std::uint32_t;
using FtHandle = void*;
using OpenFn = FtStatus (*)(int, FtHandle*);
using SetBaudRateFn = FtStatus (*)(FtHandle, std::uint32_t);
using SetBitModeFn = FtStatus (*)(FtHandle, unsigned char, unsigned char);
using WriteFn = FtStatus (*)(FtHandle, void*, std::uint32_t, std::uint32_t*);
using GetBitModeFn = FtStatus (*)(FtHandle, unsigned char*);

constexpr FtStatus kOk = 0;
constexpr FtStatus kInvalidHandle = 1;
constexpr FtStatus kDeviceNotFound = 2;
constexpr FtStatus kInvalidParameter = 6;

class AdapterLibrary : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        library_ = dlopen(FTDI_ADAPTER_LIBRARY, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(library_, nullptr) << dlerror();
        open_ = Resolve<OpenFn>("FT_Open");
        set_baud_rate_ = Resolve<SetBaudRateFn>("FT_SetBaudRate");
        set_bit_mode_ = Resolve<SetBitModeFn>("FT_SetBitMode");
        write_ = Resolve<WriteFn>("FT_Write");
        get_bit_mode_ = Resolve<GetBitModeFn>("FT_GetBitMode");
    }

    void SetUp() override
    {
        ASSERT_NE(library_, nullptr);
        ASSERT_NE(open_, nullptr);
        ASSERT_NE(set_baud_rate_, nullptr);
        ASSERT_NE(set_bit_mode_, nullptr);
        ASSERT_NE(write_, nullptr);
        ASSERT_NE(get_bit_mode_, nullptr);
    }

    template <typename Fn> static Fn Resolve(const char* name)
    {
        return reinterpret_cast<Fn>(dlsym(library_, name));
    }

    static inline void* library_ = nullptr;
    static inline OpenFn open_ = nullptr;
    static inline SetBaudRateFn set_baud_rate_ = nullptr;
    static inline SetBitModeFn set_bit_mode_ = nullptr;
    static inline WriteFn write_ = nullptr;
    static inline GetBitModeFn get_bit_mode_ = nullptr;
};

TEST_F(AdapterLibrary, OpenWithNoAdapterAttachedReportsDeviceNotFound)
{
    for (int index : {0, 1, 7, -1}) {
        FtHandle handle = &handle; // must stay untouched on failure
        EXPECT_EQ(open_(index, &handle), kDeviceNotFound) << "index " << index;
        EXPECT_EQ(handle, &handle) << "index " << index;
    }
}

TEST_F(AdapterLibrary, OpenWithoutHandleAddressIsInvalidParameter)
{
    EXPECT_EQ(open_(0, nullptr), kInvalidParameter);
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
        EXPECT_EQ(set_baud_rate_(handle, 57600), kInvalidHandle);
        EXPECT_EQ(set_bit_mode_(handle, 0x03, 0x01), kInvalidHandle);
        EXPECT_EQ(write_(handle, bytes, sizeof bytes, &written), kInvalidHandle);
        EXPECT_EQ(get_bit_mode_(handle, &pins), kInvalidHandle);
        EXPECT_EQ(written, 99U) << "count written on a refused call";
        EXPECT_EQ(pins, 0x5A) << "pins written on a refused call";
    }
    EXPECT_EQ(unrelated, 0);
}

} // namespace
