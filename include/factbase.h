#pragma once
// factbase: the system-information library the modules import by name.
//
// Results come in three kinds:
//  - counted text: the caller passes a 256-byte buffer; the function writes a
//    length byte (0..255) and that many characters in the system's ANSI code
//    page, without a terminator;
//  - zero-terminated text: the library owns it; it stays valid at least until
//    the next call of the same function on the same thread; copy it at once;
//  - numbers.
// All functions are stdcall and never fail: a fact that cannot be found gives
// the empty text or zero.

#ifdef __cplusplus
extern "C" {
#endif

#define FACTBASE_API __stdcall

typedef unsigned char FactbaseCountedText[256];

void FACTBASE_API GetTotalMem(unsigned char* result);
void FACTBASE_API GetFreeRam(unsigned char* result);
// Exported as "GetUsedRam " (the name ends in one blank).
void FACTBASE_API GetUsedRam(unsigned char* result);
// Folder paths without a trailing backslash.
void FACTBASE_API GetSystemFolder(unsigned char* result);
void FACTBASE_API GetWindowsFolder(unsigned char* result);
void FACTBASE_API GetOSProduct(unsigned char* result);
void FACTBASE_API GetOSProductType(unsigned char* result);
void FACTBASE_API GetOSPlatform(unsigned char* result);
void FACTBASE_API GetCodeName(unsigned char* result);
void FACTBASE_API CPUString(unsigned char* result);
void FACTBASE_API GetProductID(unsigned char* result);
void FACTBASE_API GetLicenseKey(unsigned char* result);
void FACTBASE_API GetRegisteredUser(unsigned char* result);
void FACTBASE_API GetRegisteredOrganization(unsigned char* result);
void FACTBASE_API GetDirectXShortVer(unsigned char* result);
void FACTBASE_API GetDirectXVer(unsigned char* result);

// Exported as "GetComputerName"; windows.h takes that name for a macro, so C++
// callers use FactbaseComputerName, bound to the export's own symbol.
#if defined(__GNUC__)
const char* FACTBASE_API FactbaseComputerName(void) __asm__("_GetComputerName@0");
#endif
const char* FACTBASE_API GetWinUpdateVersion(void);
const char* FACTBASE_API GetWMPVersion(void);
const char* FACTBASE_API GetIEVersion(void);

unsigned char FACTBASE_API GetWinMajorVersion(void);
unsigned char FACTBASE_API GetWinMinorVersion(void);
int FACTBASE_API GetWinBuildNumber(void);

#ifdef __cplusplus
}
#endif
