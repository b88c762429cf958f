#ifndef WRENLIB_BYTEORDER_H
#define WRENLIB_BYTEORDER_H
/* Fixed-width integers at any byte address, most significant byte first,
 * and the CRC-32/BZIP2 checksum.  The tag database is read and written only
 * through these. */
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

uint32_t LGET16(const void *p);
uint32_t LGET24(const void *p);
uint32_t LGET32(const void *p);
uint64_t LGET64(const void *p);
void LPUT16(void *p, uint32_t v);
void LPUT24(void *p, uint32_t v);
void LPUT32(void *p, uint32_t v);
void LPUT64(void *p, uint64_t v);
void LPUT_FLOAT(void *p, double v);

/* CRC-32/BZIP2; a length of 0 or less gives 0. */
uint32_t crc32(const void *data, int length);

#ifdef __cplusplus
}
#endif
#endif
