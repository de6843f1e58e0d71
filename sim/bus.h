// The I2C bus seen from the device side: the wired-AND data line and a
// table-driven pin-level state machine that turns line changes into bus
// events for the chips (start, stop, address, byte in, byte out).
#ifndef SIM_BUS_H
#define SIM_BUS_H

#include <cstdint>
#include <memory>
#include <vector>

#include "sim/device.h"
#include "sim/transaction_log.h"

namespace ftsim {

class Bus {
public:
    explicit Bus(TransactionLog &log) : log_(log) {}

    // New levels driven by the master: bit 0 SCL, bit 1 SDA (D1), bit 2 D2
    // (0 only when D2 is an output written low, which pulls the data line
    // down too).
    void Drive(unsigned levels);
    // Recompute the data line after a fault changed who pulls it.
    void Refresh() { sda_ = Wired(); }
    // Back to no transaction, every chip released; line levels kept.
    void Reset();

    [[nodiscard]] unsigned Scl() const { return scl_; }
    [[nodiscard]] unsigned SdaMaster() const { return sda_master_; }
    [[nodiscard]] unsigned Sda() const { return sda_; }

    std::vector<std::unique_ptr<Device>> devices;

    // Faults: no chip acknowledges the Nth byte the master writes in a
    // transaction (0: off); a chip holds the data line low.
    unsigned long nack_byte = 0;
    bool sda_held_low = false;

    unsigned long starts = 0;
    unsigned long stops = 0;

private:
    enum class Phase : uint8_t {
        Idle,        // no transaction: clocks are ignored
        MasterByte,  // the master shifts a byte in (address or data)
        SlaveAck,    // ninth clock after a master byte: the chip acknowledges
        SlaveByte,   // the chip shifts a byte out
        MasterAck,   // ninth clock after a chip byte: the master acknowledges
    };

    [[nodiscard]] unsigned Wired() const {
        return sda_master_ & d2_ & device_sda_ & (sda_held_low ? 0u : 1u);
    }
    void OnStart();
    void OnStop();
    void OnRise();
    void OnFall();
    void MasterByteDone();
    void Violation(const char *what);
    // A start or stop inside a byte or on an acknowledge clock: reported, true.
    bool CheckCutShort(const char *condition, const char *lines);

    TransactionLog &log_;
    unsigned scl_ = 1, sda_master_ = 1, d2_ = 1, sda_ = 1;
    unsigned device_sda_ = 1;  // what the addressed chip drives (0 pulls low)

    Phase phase_ = Phase::Idle;
    unsigned bits_ = 0;          // bits of the current byte clocked so far
    uint8_t shift_ = 0;          // the byte as sampled on SCL rising
    uint8_t out_ = 0xFF;         // the byte the chip is shifting out
    bool expect_address_ = false;
    bool reading_ = false;       // direction bit of the last address byte
    bool acknowledged_ = false;  // level sampled on the last ninth clock was low
    unsigned long bytes_written_ = 0;  // master bytes in this transaction
    Device *selected_ = nullptr;
};

}  // namespace ftsim

#endif
