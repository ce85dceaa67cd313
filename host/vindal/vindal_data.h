/* The stand-in vindal library's colour-adjust data, as the host registers it
 * with tessaro (the first bytes of the 11,996-byte buffer). */
#ifndef VINDAL_DATA_H
#define VINDAL_DATA_H

#include <stdint.h>

typedef struct VindalAdjustData {
  char magic[4];          /* "VDCA" */
  uint16_t gammaMilli[4]; /* tone curve per C, M, Y, K: out = in^(gamma/1000); 1000 = linear */
  uint16_t inkLimit;      /* total of C+M+Y+K in 1/100 of one full ink (e.g. 300 = 300 %) */
  uint16_t orangeShare;   /* part of the M+Y overlap printed with orange, 1/1000 */
  uint16_t greenShare;    /* part of the C+Y overlap printed with green, 1/1000 */
  uint16_t lightDensity;  /* density of a light ink against its dark ink, 1/1000 */
} VindalAdjustData;

/* Fills data with the defaults the RIP host uses. */
static inline void vindalDefaultAdjustData(VindalAdjustData* d) {
  d->magic[0] = 'V'; d->magic[1] = 'D'; d->magic[2] = 'C'; d->magic[3] = 'A';
  d->gammaMilli[0] = d->gammaMilli[1] = d->gammaMilli[2] = 1100;
  d->gammaMilli[3] = 1000;
  d->inkLimit = 300;
  d->orangeShare = 600;
  d->greenShare = 600;
  d->lightDensity = 350;
}

#endif
