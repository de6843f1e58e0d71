// A chip on the simulated I2C bus, as the pin-level bus machine sees it: a
// few events per byte, never one per pin state.
#ifndef SIM_DEVICE_H
#define SIM_DEVICE_H

#include <cstdint>

namespace ftsim {

class Device {
public:
    virtual ~Device() = default;

    // Whether this chip answers the address byte (direction bit ignored).
    [[nodiscard]] virtual bool Responds(uint8_t address_byte) const = 0;
    // Start or repeated start on the bus; every chip sees it.
    virtual void OnStart() {}
    // Stop on the bus; every chip sees it.
    virtual void OnStop() {}
    // Our address byte has been clocked in. True: acknowledge.
    virtual bool OnAddress(uint8_t address_byte) = 0;
    // A byte the master wrote after our write address. True: acknowledge.
    virtual bool OnWrite(uint8_t byte) = 0;
    // The next byte to shift out: after our read address, or after the
    // master acknowledged the previous one.
    virtual uint8_t OnRead() = 0;
};

}  // namespace ftsim

#endif
