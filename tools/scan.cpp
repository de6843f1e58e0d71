// bustool scan: which addresses acknowledge, as a 16-column grid.
#include <CLI/CLI.hpp>

#include <cstdio>

#include "bustool.h"
#include "i2c/link.h"

namespace bustool {

namespace {

constexpr int kAddressCount = 128;  // 7-bit addresses
constexpr int kColumns = 16;
constexpr int kAcknowledged = 0;    // SDA pulled low on the ninth clock

// Start, the write address byte, the acknowledge clock, stop: a device that
// recognises its address pulls SDA low and then sees a stop before any data,
// so nothing is written to it.
bool Answers(int write_address) {
    I2C_Start();
    I2C_WriteByte(write_address);
    const bool present = I2C_ReadBit() == kAcknowledged;
    I2C_Stop();
    return present;
}

// Cells hold 8-bit write addresses (0x90 for the first thermometer), rows
// step by 0x20: a cell's address is its row plus its column.
void Scan() {
    OpenBus();
    std::printf("Adresses d'ecriture sur 8 bits (ligne + colonne), -- : pas de reponse\n");
    std::printf("   ");
    for (int column = 0; column < kColumns; ++column) {
        std::printf(" %02x", column * 2);
    }
    for (int address7 = 0; address7 < kAddressCount; ++address7) {
        const int write_address = address7 << 1;
        if (address7 % kColumns == 0) {
            std::printf("\n%02x:", write_address);
        }
        if (Answers(write_address)) {
            std::printf(" %02x", write_address);
        } else {
            std::printf(" --");
        }
    }
    std::printf("\n");
}

}  // namespace

void AddScanCommand(Tool &tool, CLI::App &app) {
    tool.AddCommand(app, "scan", "Cherche les peripheriques presents sur le bus I2C", "bustool scan", Scan);
}

}  // namespace bustool
