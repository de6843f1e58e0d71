/*
 * Thermometer with the DS1621 command set, addresses 0x90..0x9E.
 * device: only bits 2..0 count (the chip's A2..A0 pins).
 * Temperatures are in 1/256 degree Celsius.
 * All operations return I2C_OK or I2C_NOACK.
 */
#ifndef I2C_TEMP_H
#define I2C_TEMP_H

#ifdef __cplusplus
extern "C" {
#endif

int TEMP_ReadConfig(int device, int *config);   /* *config zeroed at entry */
int TEMP_WriteConfig(int device, int value);
int TEMP_Init(int device);                      /* one-shot mode */
int TEMP_StartConversion(int device);
int TEMP_IsDone(int device, int *done);         /* *done = 1 on failure */
int TEMP_Read(int device, int *value);          /* written only on success */
int TEMP_ReadPrecise(int device, int *value);   /* written only on success */

#ifdef __cplusplus
}
#endif

#endif
