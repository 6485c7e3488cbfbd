// The console's binding to the terminal client library, and the two values
// every handler shares: LastResult (the result of the latest library call)
// and ReadLength (the count the latest successful read delivered).
//
// The library is loaded by name ("libvekxapi.so.1", "vekxapi.dll" on Windows)
// at the first call of any of the four functions, through the platform's
// usual search: the executable's run path ($ORIGIN/../lib) finds it in the
// build tree and after installing. Each function is looked up on its own
// first call and kept. A library or function that cannot be found ends the
// program: see library_failure.h.
//
// Every wrapper stores the result in LastResult before it returns, so no
// caller can forget to. Texts cross as zero-terminated Windows-1252 copies
// made for the call.
#ifndef KTRV_VEKX_BINDING_H
#define KTRV_VEKX_BINDING_H

#include <QString>

#include <cstdint>

namespace ktrv {

extern std::int16_t LastResult;
extern std::int16_t ReadLength;

std::int16_t vekRegisterProcess(std::int16_t processType, const QString &addressList, std::int32_t addressCount);
std::int16_t vekCloseProcess();
// buffer must hold bufferSize bytes; the count goes to ReadLength.
std::int16_t vekRead(const char *fieldName, std::int16_t bufferSize, void *buffer);
std::int16_t vekWrite(const char *fieldName, std::int16_t dataLength, const void *data);

// The file name the binding loads.
const char *libraryFileName();

}  // namespace ktrv

#endif
