/*
 * Control interface of the simulated bit-bang adapter (libftd2xx.so built
 * from sim/). The same library exports the five adapter entry points
 * FT_Open, FT_SetBaudRate, FT_SetBitMode, FT_Write and FT_GetBitMode.
 *
 * Pins: D0 = SCL (master only), D1 = SDA as the master drives it,
 * D2 = SDA on the bus (wired-AND of D1 and every device), D3..D7 read 1.
 *
 * Tests call these directly (link against the library). A program started
 * from a shell is configured instead through FTSIM_* environment variables,
 * read when the adapter is opened (see the README).
 *
 * Device handles are small non-negative ints; -1 means failure.
 */
#ifndef SIM_FTSIM_H
#define SIM_FTSIM_H

#include <stddef.h>

#ifdef _WIN32
#define FTSIM_API __declspec(dllexport)
#else
#define FTSIM_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Bus ---------------------------------------------------------------- */

/* Empty bus, no faults, empty logs, counters 0, capture stopped, zero
 * latency. An adapter already opened stays open with its bit mode, so a
 * process that ran I2C_Open once can reset between tests. */
FTSIM_API void FTSIM_Reset(void);

/* Apply the FTSIM_* environment variables now (FT_Open does this the first
 * time it is called in a process). Returns 0, or -1 if a variable is malformed. */
FTSIM_API int FTSIM_ConfigureFromEnvironment(void);

/* Emulated USB latency added to every FT_Write and FT_GetBitMode (busy wait). */
FTSIM_API void FTSIM_SetLatencyMicros(long micros);

/* ---- Devices ------------------------------------------------------------ */

/* DS1621-style thermometer at 0x90 + 2 * (pins & 7). */
FTSIM_API int FTSIM_AddThermometer(int address_pins);
/* 24C16-style EEPROM occupying 0xA0..0xAF, erased (0xFF). */
FTSIM_API int FTSIM_AddEeprom(void);
/* PCF8583-style clock at 0xA0 + 2 * (select & 1); starts at 00:00:00, frozen. */
FTSIM_API int FTSIM_AddClock(int select);

/* Thermometer: set the temperature; the model derives the register bytes
 * (whole degrees, half-degree byte, counter, slope). */
FTSIM_API void FTSIM_ThermSetCelsius(int dev, double celsius);
/* Thermometer: set the raw bytes the next conversion latches. */
FTSIM_API void FTSIM_ThermSetRaw(int dev, int temp_msb, int temp_lsb, int counter, int slope);
/* Thermometer: slow, realistic drift around the set temperature (demo). */
FTSIM_API void FTSIM_ThermSetDrift(int dev, int on);

enum FTSIM_Conversion {
    FTSIM_CONV_MILLIS = 0, /* value: wall-clock milliseconds (default 750) */
    FTSIM_CONV_READS = 1,  /* value: done after this many configuration reads */
    FTSIM_CONV_NEVER = 2   /* never done */
};
FTSIM_API void FTSIM_ThermSetConversion(int dev, int kind, long value);
FTSIM_API int FTSIM_ThermGetConfig(int dev);
FTSIM_API void FTSIM_ThermSetConfig(int dev, int value);
FTSIM_API int FTSIM_ThermConversions(int dev); /* conversions started so far */

enum FTSIM_WriteCycle {
    FTSIM_WC_MICROS = 0, /* value: wall-clock microseconds (default 5000) */
    FTSIM_WC_POLLS = 1,  /* value: acknowledges the Nth address byte after the stop */
    FTSIM_WC_NEVER = 2   /* the write cycle never ends */
};
FTSIM_API void FTSIM_EepromSetWriteCycle(int dev, int kind, long value);
FTSIM_API int FTSIM_EepromPeek(int dev, int address);             /* 0..255, -1 bad args */
FTSIM_API void FTSIM_EepromPoke(int dev, int address, int value);
FTSIM_API int FTSIM_EepromLoad(int dev, const char *path);        /* 0 or -1 */
FTSIM_API int FTSIM_EepromSave(int dev, const char *path);        /* 0 or -1 */

FTSIM_API int FTSIM_ClockPeek(int dev, int reg);                  /* 0..255 */
FTSIM_API void FTSIM_ClockPoke(int dev, int reg, int value);
FTSIM_API void FTSIM_ClockFreeze(int dev, int frozen);            /* 1: time stands still */
FTSIM_API void FTSIM_ClockAdvance(int dev, long hundredths);      /* counts as if it ran */

/* ---- Faults -------------------------------------------------------------- */

enum FTSIM_Fault {
    FTSIM_FAULT_OPEN = 0,            /* FT_Open fails (device not found) */
    FTSIM_FAULT_BAUD = 1,            /* FT_SetBaudRate fails */
    FTSIM_FAULT_BITMODE = 2,         /* FT_SetBitMode fails */
    FTSIM_FAULT_D1_STUCK_LOW = 3,    /* D1 reads back 0 */
    FTSIM_FAULT_D1_STUCK_HIGH = 4,   /* D1 reads back 1 */
    FTSIM_FAULT_WRITE_FROM = 5,      /* FT_Write fails from its Nth call (1-based) on */
    FTSIM_FAULT_GETBITMODE_FROM = 6, /* FT_GetBitMode fails from its Nth call on */
    FTSIM_FAULT_NACK_BYTE = 7,       /* devices do not acknowledge the Nth byte the master
                                        writes in each transaction (1 = first address byte;
                                        repeated starts do not restart the count) */
    FTSIM_FAULT_THERM_NEVER_DONE = 8,
    FTSIM_FAULT_EEPROM_BUSY_FOREVER = 9,
    FTSIM_FAULT_SDA_HELD_LOW = 10    /* a device holds SDA low */
};
/* arg is N for the *_FROM and NACK_BYTE faults, ignored otherwise. */
FTSIM_API void FTSIM_SetFault(int fault, long arg);
FTSIM_API void FTSIM_ClearFaults(void);

/* ---- Observation ---------------------------------------------------------- */

/* Transaction log: what the devices saw, one line per transaction, e.g.
 *   "S 90+ EE+ P"
 *   "S 90+ AA+ Sr 91+ 19+ 80- P"
 * (+ acknowledged, - not acknowledged; bytes the master reads show the
 * acknowledge the master gave). Protocol violations appear as lines starting
 * with "! ". Copies up to size-1 chars plus NUL; returns the full length. */
FTSIM_API size_t FTSIM_GetLog(char *buf, size_t size);
FTSIM_API void FTSIM_ClearLog(void);

/* Adapter call trace since the last clear, one line per call:
 *   "W 02 03 01 00"  an FT_Write and its pin-state bytes
 *   "G 07"           an FT_GetBitMode and the byte it returned ("G !" if it failed)
 * Same copy rules as FTSIM_GetLog. */
FTSIM_API size_t FTSIM_GetCalls(char *buf, size_t size);
FTSIM_API void FTSIM_ClearCalls(void);

enum FTSIM_Counter {
    FTSIM_COUNT_WRITES = 0,      /* FT_Write calls */
    FTSIM_COUNT_PIN_STATES = 1,  /* pin-state bytes written */
    FTSIM_COUNT_GETBITMODE = 2,  /* FT_GetBitMode calls */
    FTSIM_COUNT_STARTS = 3,      /* start conditions (repeated included) seen by devices */
    FTSIM_COUNT_STOPS = 4        /* stop conditions seen by devices */
};
FTSIM_API unsigned long FTSIM_GetCounter(int counter);
FTSIM_API void FTSIM_ClearCounters(void);

/* Level of the lines now: bit 0 SCL, bit 1 SDA driven by the master, bit 2 SDA on the bus. */
FTSIM_API int FTSIM_GetLines(void);

/* VCD capture of every pin state (wires scl, sda_m, sda). Returns 0 or -1. */
FTSIM_API int FTSIM_CaptureStart(const char *path);
FTSIM_API void FTSIM_CaptureStop(void);

#ifdef __cplusplus
}
#endif

#endif
