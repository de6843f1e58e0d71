#include "sim/bus.h"

#include <array>
#include <cstdio>

namespace ftsim {

namespace {

// What a change of the two lines means. Index: old SCL, old SDA, new SCL,
// new SDA (bits 3..0). SDA is the level on the bus.
enum class Edge : uint8_t {
    None,
    SdaWhileSclLow,  // data may change while the clock is low
    Start,           // SDA falls while SCL is high
    Stop,            // SDA rises while SCL is high
    Rise,            // SCL rises: the receiver samples SDA
    Fall,            // SCL falls: the transmitter may change SDA
    RiseWithSda,     // both lines moved in one pin state
    FallWithSda,
};

constexpr std::array<Edge, 16> MakeEdgeTable() {
    std::array<Edge, 16> table{};
    for (unsigned i = 0; i < 16; ++i) {
        const unsigned old_scl = (i >> 3) & 1, old_sda = (i >> 2) & 1, scl = (i >> 1) & 1, sda = i & 1;
        const bool sda_moved = old_sda != sda;
        if (old_scl == 0 && scl == 0) {
            table[i] = sda_moved ? Edge::SdaWhileSclLow : Edge::None;
        } else if (old_scl == 0) {
            table[i] = sda_moved ? Edge::RiseWithSda : Edge::Rise;
        } else if (scl == 0) {
            table[i] = sda_moved ? Edge::FallWithSda : Edge::Fall;
        } else {
            table[i] = !sda_moved ? Edge::None : (sda == 0 ? Edge::Start : Edge::Stop);
        }
    }
    return table;
}

constexpr std::array<Edge, 16> kEdges = MakeEdgeTable();

}  // namespace

void Bus::Reset() {
    phase_ = Phase::Idle;
    selected_ = nullptr;
    device_sda_ = 1;
    bits_ = 0;
    sda_ = Wired();
}

void Bus::Violation(const char *what) { log_.Violation(what); }

bool Bus::CheckCutShort(const char *condition, const char *lines) {
    // The clock pulse of a start or stop is itself sampled as the first bit of
    // a byte; only a later one means the byte was cut short.
    if ((phase_ == Phase::MasterByte || phase_ == Phase::SlaveByte) && bits_ > 1) {
        char text[96];
        std::snprintf(text, sizeof text, "%s inside a byte, after %u bits (%s)", condition, bits_ - 1, lines);
        Violation(text);
        return true;
    }
    if (phase_ == Phase::SlaveAck || phase_ == Phase::MasterAck) {
        char text[64];
        std::snprintf(text, sizeof text, "%s during the acknowledge clock", condition);
        Violation(text);
        return true;
    }
    return false;
}

void Bus::Drive(unsigned levels) {
    const unsigned old_scl = scl_, old_sda = sda_;
    const unsigned scl = levels & 1u;
    scl_ = scl;
    sda_master_ = (levels >> 1) & 1u;
    d2_ = (levels >> 2) & 1u;
    const unsigned sda = Wired();
    sda_ = sda;
    switch (kEdges[old_scl << 3 | old_sda << 2 | scl << 1 | sda]) {
    case Edge::None:
    case Edge::SdaWhileSclLow:
        break;
    case Edge::Start:
        OnStart();
        break;
    case Edge::Stop:
        OnStop();
        break;
    case Edge::RiseWithSda:
        // Read as data set up first, then the clock: no start or stop.
        Violation("SCL and SDA changed in the same pin state (SCL rising)");
        [[fallthrough]];
    case Edge::Rise:
        OnRise();
        break;
    case Edge::FallWithSda:
        // Read as the clock falling first, then the data: no start or stop.
        Violation("SCL and SDA changed in the same pin state (SCL falling)");
        [[fallthrough]];
    case Edge::Fall:
        OnFall();
        sda_ = Wired();
        break;
    }
}

void Bus::OnStart() {
    ++starts;
    const bool repeated = phase_ != Phase::Idle;
    CheckCutShort("start", "SDA fell while SCL high");
    log_.Start(repeated);
    if (!repeated) bytes_written_ = 0;
    for (auto &device : devices) device->OnStart();
    phase_ = Phase::MasterByte;
    bits_ = 0;
    shift_ = 0;
    expect_address_ = true;
    selected_ = nullptr;
    device_sda_ = 1;
}

void Bus::OnStop() {
    ++stops;
    if (phase_ != Phase::Idle) {
        if (!CheckCutShort("stop", "SDA rose while SCL high") && phase_ == Phase::SlaveByte && selected_ != nullptr) {
            Violation("stop after an acknowledged read byte (the last byte read must be not acknowledged)");
        }
        log_.Stop();
    }
    for (auto &device : devices) device->OnStop();
    phase_ = Phase::Idle;
    selected_ = nullptr;
    device_sda_ = 1;
}

void Bus::OnRise() {
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::MasterByte:
    case Phase::SlaveByte:
        shift_ = static_cast<uint8_t>(shift_ << 1 | sda_);
        ++bits_;
        break;
    case Phase::SlaveAck:
    case Phase::MasterAck:
        acknowledged_ = sda_ == 0;
        log_.Acknowledge(acknowledged_);
        break;
    }
}

void Bus::MasterByteDone() {
    ++bytes_written_;
    const bool refused = nack_byte != 0 && bytes_written_ == nack_byte;
    log_.Byte(shift_);
    bool ack = false;
    if (expect_address_) {
        expect_address_ = false;
        reading_ = (shift_ & 1) != 0;
        selected_ = nullptr;
        if (!refused) {
            for (auto &device : devices) {
                if (device->Responds(shift_)) {
                    if (device->OnAddress(shift_)) selected_ = device.get();
                    break;
                }
            }
        }
        ack = selected_ != nullptr;
    } else {
        ack = !refused && selected_ != nullptr && selected_->OnWrite(shift_);
    }
    device_sda_ = ack ? 0 : 1;
    phase_ = Phase::SlaveAck;
}

void Bus::OnFall() {
    switch (phase_) {
    case Phase::Idle:
        break;
    case Phase::MasterByte:
        if (bits_ == 8) MasterByteDone();
        break;
    case Phase::SlaveAck:
        bits_ = 0;
        shift_ = 0;
        if (reading_) {
            phase_ = Phase::SlaveByte;
            out_ = selected_ != nullptr ? selected_->OnRead() : 0xFF;
            device_sda_ = out_ >> 7;
        } else {
            phase_ = Phase::MasterByte;
            device_sda_ = 1;
        }
        break;
    case Phase::SlaveByte:
        if (bits_ == 8) {
            log_.Byte(shift_);
            phase_ = Phase::MasterAck;
            device_sda_ = 1;
        } else {
            device_sda_ = (out_ >> (7 - bits_)) & 1u;
        }
        break;
    case Phase::MasterAck:
        // A not-acknowledge tells the chip the read is over: it lets go of
        // the line and waits for a stop or a start.
        if (!acknowledged_) selected_ = nullptr;
        out_ = selected_ != nullptr ? selected_->OnRead() : 0xFF;
        phase_ = Phase::SlaveByte;
        bits_ = 0;
        shift_ = 0;
        device_sda_ = out_ >> 7;
        break;
    }
}

}  // namespace ftsim
