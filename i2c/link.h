/*
 * Bit-bang I2C link over a USB adapter in asynchronous bit-bang mode.
 *
 * Pins: D0 = SCL (driven only, never sampled: no clock stretching),
 *       D1 = SDA as the master drives it (1 = released, 0 = pulled low),
 *       D2 = SDA as seen on the bus (input).
 * Every condition the master drives is one adapter write of a fixed run of
 * pin states; every bit clocked in is one pin read taken while SCL is high.
 *
 * Single master, single thread, 7-bit addressing, no clock stretching,
 * no arbitration. Between transactions the bus rests with SCL low and SDA
 * released.
 */
#ifndef I2C_LINK_H
#define I2C_LINK_H

#ifdef __cplusplus
extern "C" {
#endif

/* Status codes of I2C_Open and of the device operations. */
#define I2C_OK 0            /* success */
#define I2C_NOACK 1         /* a byte was not acknowledged (also: I2C_Open failed) */
#define I2C_NOTCONFIGURED 2 /* EEPROM driver: device kind not set */

/* Load the adapter library, open adapter 0, enter bit-bang mode, check that
 * D1 reads back what was written, leave the bus stopped.
 * Returns I2C_OK, or 1 on any failure. Call once. */
int I2C_Open(void);

void I2C_Start(void);          /* start, or repeated start inside a transaction */
void I2C_Stop(void);           /* stop; leaves SCL low, SDA released */
void I2C_SendAck(int nack);    /* bit 0: 0 = acknowledge, 1 = not acknowledge */
void I2C_WriteByte(int value); /* bits 7..0, MSB first; no acknowledge check */
int I2C_ReadBit(void);         /* one clock with SDA released; 0 or 1 */
int I2C_ReadByte(void);        /* eight I2C_ReadBit, MSB first; 0..255 */
void I2C_WritePins(int pins);  /* raw pin-state byte (low 8 bits) */
int I2C_ReadDataPin(void);     /* level of D2, 0 or 1; writes nothing */

#ifdef __cplusplus
}
#endif

#endif
