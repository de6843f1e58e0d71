/*
 * Register interface to a peripheral behind a two-latch adapter on the PC
 * parallel port (data latch, control latch; nibble read-back on the status
 * lines). No operation reports a bus error.
 */
#ifndef LPT_LPT_H
#define LPT_LPT_H

#ifdef __cplusplus
extern "C" {
#endif

int LPT_SelectPort(int port);            /* 1: 0x3BC, 2: 0x378, 3: 0x278; else 0x378 and 1 */
void LPT_LoadData(int value);
void LPT_LoadControl(int value);
int LPT_ReadByte(void);                  /* 0..255 */
void LPT_WriteRegister(int reg, int value);
int LPT_ReadRegister(int reg);           /* 0..255 */
int LPT_SelfTest(void);                  /* 0 if all 256 values read back */

#ifdef __cplusplus
}
#endif

#endif
