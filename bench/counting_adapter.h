/*
 * An adapter library that does nothing but count: the five bit-bang entry
 * points, built as libftd2xx.so in a folder of its own, so that the link
 * binds to it exactly as it binds to a real one.
 *
 * FT_Write counts the call and its pin states and keeps the last state;
 * FT_GetBitMode answers with the levels the master drives on D0 and D1 and
 * D2 low: every byte is acknowledged and every data bit reads 0, so every
 * driver operation runs its whole sequence.
 *
 * With recording on, each call is also kept (a write's bytes, or a pin read),
 * so that the same calls can be replayed straight into the entry points.
 */
#ifndef BENCH_COUNTING_ADAPTER_H
#define BENCH_COUNTING_ADAPTER_H

#include <stddef.h>
#include <stdint.h>

#if defined(_WIN32)
#define COUNTING_API __declspec(dllexport)
#else
#define COUNTING_API __attribute__((visibility("default")))
#endif

#ifdef __cplusplus
extern "C" {
#endif

typedef struct COUNTING_Totals {
    unsigned long writes;     /* FT_Write calls */
    unsigned long pin_states; /* bytes written */
    unsigned long pin_reads;  /* FT_GetBitMode calls */
} COUNTING_Totals;

COUNTING_API COUNTING_Totals COUNTING_GetTotals(void);
COUNTING_API void COUNTING_ClearTotals(void);

/* Recording of the calls, for a replay. A pin read is kept as a call of
 * 0 bytes. */
COUNTING_API void COUNTING_Record(int on);
COUNTING_API size_t COUNTING_RecordedCalls(void);
/* Bytes of recorded call i (0 for a pin read) and a pointer to them. */
COUNTING_API const unsigned char *COUNTING_RecordedCall(size_t i, uint32_t *count);
COUNTING_API void COUNTING_ClearRecord(void);

#ifdef __cplusplus
}
#endif

#endif
