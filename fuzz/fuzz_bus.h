/*
 * The adapter library the fuzz harness runs the drivers against, built as
 * libftd2xx.so and linked into the harness, so that the link binds to it by
 * its soname exactly as it binds to a real one.
 *
 * It plays every chip on the bus at once: each pin read asks the harness for
 * the level of the data line (from the fuzzer's input), so acknowledges,
 * data and stuck or dead lines are whatever the input says. Meanwhile it
 * watches the master's pin states for start and stop conditions, and notes
 * each acknowledge check (the sample right after a byte was written).
 */
#ifndef FUZZ_FUZZ_BUS_H
#define FUZZ_FUZZ_BUS_H

#if defined(_WIN32)
#define FUZZBUS_API __declspec(dllexport)
#else
#define FUZZBUS_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Level of the data line for the next pin read: 0 or 1, or -1 for a read
 * that fails. Without a source the line follows the master (a bus with no
 * chip pulling it). */
typedef int (*FUZZBUS_Source)(void);
FUZZBUS_API void FUZZBUS_SetSource(FUZZBUS_Source source);

typedef struct FUZZBUS_Observed {
    unsigned long writes;       /* FT_Write calls */
    unsigned long reads;        /* FT_GetBitMode calls */
    unsigned long starts;       /* start conditions, repeated ones included */
    unsigned long stops;        /* stop conditions */
    unsigned long ack_checks;   /* samples taken right after a byte was written */
    unsigned long refused;      /* of those, read as not acknowledged (1, or a failed read) */
    int last_ack;               /* the last acknowledge check: 0 acknowledged, 1 not */
    unsigned long writes_since_ack_check; /* FT_Write calls since that check */
    int in_transaction;         /* a start was seen and no stop since */
    int lines;                  /* last pin state written (bit 0 SCL, bit 1 SDA) */
} FUZZBUS_Observed;

FUZZBUS_API FUZZBUS_Observed FUZZBUS_Get(void);
FUZZBUS_API void FUZZBUS_ClearCounts(void);

#ifdef __cplusplus
}
#endif

#endif
