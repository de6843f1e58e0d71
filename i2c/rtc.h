/*
 * Clock/calendar chip, PCF8583 style, at 0xA0 (select 0) or 0xA2 (select 1).
 * select: only bit 0 counts. All operations return I2C_OK or I2C_NOACK.
 */
#ifndef I2C_RTC_H
#define I2C_RTC_H

#ifdef __cplusplus
extern "C" {
#endif

int RTC_Start(int select);
int RTC_SetTime(int select, int weekday, int hours, int minutes, int seconds);
int RTC_GetTime(int select, int *weekday, int *hours, int *minutes, int *seconds);
int RTC_WriteRegister(int select, int reg, int value);
int RTC_ReadRegister(int select, int reg, int *value);

#ifdef __cplusplus
}
#endif

#endif
