#pragma once
/* browserreg.dll, the browser settings library: Internet Explorer's window
   title and start page, and fourteen restriction policies of the current user
   (REG_DWORD values under HKEY_CURRENT_USER
   "Software\Policies\Microsoft\Internet Explorer\Restrictions").

   Texts are zero-terminated 8-bit texts in the system's ANSI code page, owned by
   the library: each text export keeps its own buffer per calling thread, valid
   until the same export is called again on that thread. Copy the text at once
   and never free it. Link against the import library of the browserreg target. */

#ifdef __cplusplus
extern "C" {
#endif

/* "Window Title" and "Start Page" of HKEY_CURRENT_USER
   "Software\Microsoft\Internet Explorer\Main" (REG_EXPAND_SZ unexpanded). The
   empty text when the key cannot be opened, the value is missing or not text,
   or the stored text is "-1". Any other text comes back exactly as stored,
   whatever its first character ("%USERPROFILE%\start.html", " Moja", "(x)"),
   so a caller that shows it and writes it back changes nothing. */
const char* __stdcall GetIEWindowTitle(void);
const char* __stdcall GetIEStartPage(void);

/* Restriction reads: 1 only for a REG_DWORD equal to 1, else 0; never fail.

   Restriction writes: flag 0 or 1 is stored as REG_DWORD 0 or 1 (the key is
   created when needed); any other flag does nothing. A write that the registry
   refuses is reported through the thread's last error:

     every Save export sets the last error before it returns:
       ERROR_SUCCESS (0)  the value was written, or the flag was neither 0 nor 1;
       any other code     the key could not be opened or created, or the value
                          could not be set (the system's error code, for example
                          ERROR_ACCESS_DENIED). Nothing was written.

   Callers check GetLastError() after each Save call and stop their sequence of
   writes at the first non-zero code; values written before it stay written. */
unsigned char __stdcall GetAlwaysPromptWhenDownload(void);
void __stdcall SaveAlwaysPromptWhenDownload(int flag);

unsigned char __stdcall GetNoSelectDownloadDir(void);
void __stdcall SaveNoSelectDownloadDir(int flag);

unsigned char __stdcall GetNoBrowserClose(void);
void __stdcall SaveNoBrowserClose(int flag);

unsigned char __stdcall GetNoBrowserBars(void);
void __stdcall SaveNoBrowserBars(int flag);

unsigned char __stdcall GetNoBrowserContextMenu(void);
void __stdcall SaveNoBrowserContextMenu(int flag);

unsigned char __stdcall GetNoBrowserOptions(void);
void __stdcall SaveNoBrowserOptions(int flag);

unsigned char __stdcall GetNoBrowserSaveAs(void);
void __stdcall SaveNoBrowserSaveAs(int flag);

unsigned char __stdcall GetNoFavorites(void);
void __stdcall SaveNoFavorites(int flag);

unsigned char __stdcall GetNoNavButtons(void);
void __stdcall SaveNoNavButtons(int flag);

unsigned char __stdcall GetNoOpeninNewWnd(void);  /* lower-case "in" */
void __stdcall SaveNoOpeninNewWnd(int flag);

unsigned char __stdcall GetNoPrinting(void);
void __stdcall SaveNoPrinting(int flag);

unsigned char __stdcall GetNoTheaterMode(void);
void __stdcall SaveNoTheaterMode(int flag);

unsigned char __stdcall GetNoViewSource(void);
void __stdcall SaveNoViewSource(int flag);

unsigned char __stdcall GetRestGoMenu(void);
void __stdcall SaveRestGoMenu(int flag);

#ifdef __cplusplus
}
#endif
