/*
 * 2 KB serial EEPROM, 24C16 style: 11-bit addresses, address bits 10..8 in
 * the device address byte (0xA0..0xAE), bits 7..0 in the word-address byte.
 * Nothing reaches the bus until EEP_SetKind(1) or EEP_SetKind(2).
 */
#ifndef I2C_EEPROM_H
#define I2C_EEPROM_H

#ifdef __cplusplus
extern "C" {
#endif

void EEP_SetKind(int kind);                   /* 1 or 2 enables, anything else disables */
int EEP_ReadByte(int address, int *value);    /* I2C_OK, I2C_NOACK or I2C_NOTCONFIGURED */
int EEP_WriteByte(int address, int value);    /* I2C_OK, I2C_NOACK or I2C_NOTCONFIGURED */

#ifdef __cplusplus
}
#endif

#endif
