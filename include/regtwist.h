#pragma once
// regtwist: the registry-tweak library the modules import by name. Each
// function reads or writes one system setting where Windows itself keeps it.
// Flags are one byte, 1 meaning set. All functions are stdcall; none reports
// an error.

#ifdef __cplusplus
extern "C" {
#endif

#define REGTWIST_API __stdcall

// The Windows version painted on the desktop.
unsigned char REGTWIST_API GetPaintDesktopVersion(void);
void REGTWIST_API SaveDesktopVersion(void);
void REGTWIST_API SaveDesktopVersionFalse(void);

// The policy that hides the desktop.
unsigned char REGTWIST_API GetNoDesktop(void);
void REGTWIST_API SaveNoDesktop_1(void);
void REGTWIST_API SaveNoDesktop_0(void);

// The policy that keeps the desktop state from being saved at log-off.
unsigned char REGTWIST_API GetNoSaveSettings(void);
void REGTWIST_API NoSaveSettings_1(void);
void REGTWIST_API NoSaveSettings_0(void);

// Desktop values by name: "Wallpaper", "WallpaperStyle", "TileWallpaper".
// The text belongs to the library; copy it at once.
const char* REGTWIST_API GetDesktopInfo(const char* name);
void REGTWIST_API SaveDesktopInfo(const char* name, const char* value);

// Support for large disks (48-bit LBA).
unsigned char REGTWIST_API Get48bitLBA(void);
void REGTWIST_API S48bitLBA_enable(void);
void REGTWIST_API S48bitLBA_disable(void);

// The current user's Explorer policy of that name; the name is a counted
// text (a length byte, then the characters, no terminator).
int REGTWIST_API Get_HKCU_CUR_POl_EXPL(const unsigned char* countedName);
// Sets (1) or clears (0) that policy; the name is zero-terminated.
int REGTWIST_API StartMenuPE(const char* name, int value);

// The prefetcher's mode: 0 off, 1 programs only, 2 start-up files only, 3 both.
int REGTWIST_API GetPrefetchSTS(void);
void REGTWIST_API PrefetchSave(int mode);

#ifdef __cplusplus
}
#endif
