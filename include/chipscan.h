#pragma once
/* chipscan.dll, the hardware probe library: processor identification and
   clock, IDE disk identification, graphics-driver tweak values.

   Texts are zero-terminated 8-bit texts in the system's ANSI code page, owned by
   the library: each text export keeps its own buffer per calling thread, valid
   until the same export is called again on that thread. Copy what you keep and
   never free it. Link against the import library of the chipscan target. */

#ifdef __cplusplus
extern "C" {
#endif

/* Processor. Without the identification instruction the texts are empty (the
   numbers "0"), IsMMX is 0 and SSE/SSE2 answer "Nie". */
const char* __stdcall cpuvendor(void);     /* 12 characters of leaf 0 */
const char* __stdcall cpustring(void);     /* brand text, leading blanks kept; empty without the brand leaves */
const char* __stdcall cpufamily(void);     /* plain 4-bit fields in decimal, 0..15 */
const char* __stdcall cpumodel(void);
const char* __stdcall cpusteppingid(void);
unsigned char __stdcall IsMMX(void);       /* 1 or 0 */
const char* __stdcall SSE(void);           /* "Tak" or "Nie" */
const char* __stdcall SSE2(void);
/* Measured clock, "<n> MHz" (for example "2394 MHz"). "0 MHz" when nothing
   could be measured: no performance counter, no time-stamp counter, or a
   counter so fast that the measuring window rounds to zero microseconds. */
const char* __stdcall GetCPUSpeed(void);

/* IDE disk. drive: only its low 8 bits are sent. key: "model", "serial",
   "firmware" (full field length, blanks kept), "ECC", "byte/sec",
   "sec/sciez", "head" (decimal). With no field read: "NoDisk" when the thread's
   last error is set, else "Dysk IDE nie obsługuje SMART". */
const char* __stdcall GetHDDinfo(int drive, const char* key);

/* Graphics-driver tweak values, REG_DWORD under HKEY_LOCAL_MACHINE
   "SOFTWARE\NVIDIA Corporation\Global\NVTweak". GetNVinfo gives -1 when the key
   cannot be opened with full access or the value is missing or not a 4-byte
   REG_DWORD. SaveNVinfo creates the key when needed; a failed save does nothing. */
int __stdcall GetNVinfo(const char* name);
void __stdcall SaveNVinfo(const char* name, int value);

#ifdef __cplusplus
}
#endif
