// Stands in for the terminal client library with VekRead missing, so that
// the console's binding meets a library that loads but lacks a function.
#include "vekxapi.h"

extern "C" {
VEKX_EXPORT int16_t VekRegisterProcess(int16_t, const char *, int32_t) { return 0; }
VEKX_EXPORT int16_t VekCloseProcess(void) { return -2; }
VEKX_EXPORT int16_t VekWrite(const char *, int16_t, const void *) { return -2; }
}
