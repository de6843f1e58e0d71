// Console thermometer: reads the thermometer chip at device index 0 on the
// bit-banged I2C bus, two readings to a line, until a key is pressed.
//
// Every path ends with exit status 0. On the first failure the program says
// what went wrong, then waits for a key; without a keyboard (no controlling
// terminal) that wait ends at once, so an unattended run never hangs.
#include <chrono>
#include <cstdio>

#include "app/celsius_text.h"
#include "i2c/link.h"
#include "i2c/temp.h"
#include "platform/console.h"

namespace {

constexpr int kDevice = 0;  // address pins A2..A0 all low
constexpr int kExitStatus = 0;

// A conversion takes the chip at most 750 ms. A done flag still clear after
// this long means the chip or the link is gone (a dead link reads as a chip
// that never finishes).
constexpr auto kConversionLimit = std::chrono::seconds(2);

constexpr char kOpenFailed[] = "Erreur a l'initialisation I2C\n";
constexpr char kHitAnyKey[] = "Hit any key ";
constexpr char kTriggerFailed[] = "Erreur lors du trigger\n";
constexpr char kStatusFailed[] = "Erreur a la lecture status\n";
constexpr char kConversionTooLong[] = "Erreur : conversion trop longue\n";
constexpr char kTemperatureFailed[] = "Erreur a la lecture temperature\n";

void WaitForKey() {
    std::fputs(kHitAnyKey, stdout);
    if (CONSOLE_HasInput() == 0) {
        return;  // no key can ever come
    }
    while (CONSOLE_KeyPressed() == 0) {
    }
}

int Fail(const char *message) {
    std::fputs(message, stdout);
    WaitForKey();
    return kExitStatus;
}

}  // namespace

int main() {
    CONSOLE_Open();

    if (I2C_Open() != I2C_OK) {
        return Fail(kOpenFailed);
    }
    // Shown only: a chip that is missing now fails the first conversion.
    std::printf("Initialisation : %d\n", TEMP_Init(kDevice));

    for (;;) {
        if (TEMP_StartConversion(kDevice) != I2C_OK) {
            return Fail(kTriggerFailed);
        }
        const auto deadline = std::chrono::steady_clock::now() + kConversionLimit;
        int done = 0;
        for (;;) {
            if (TEMP_IsDone(kDevice, &done) != I2C_OK) {
                return Fail(kStatusFailed);
            }
            if (done != 0) {
                break;
            }
            if (std::chrono::steady_clock::now() >= deadline) {
                return Fail(kConversionTooLong);
            }
        }

        int temperature = 0;
        if (TEMP_Read(kDevice, &temperature) != I2C_OK) {
            return Fail(kTemperatureFailed);
        }
        std::printf("Temp1=%s", thermo::FormatCelsius256ths(temperature).data());
        if (TEMP_ReadPrecise(kDevice, &temperature) != I2C_OK) {
            return Fail(kTemperatureFailed);
        }
        std::printf("   Temp2=%s\n", thermo::FormatCelsius256ths(temperature).data());

        if (CONSOLE_KeyPressed() != 0) {
            return kExitStatus;
        }
    }
}
