#include <gtest/gtest.h>
#include <windows.h>

#include "factbase.h"
#include "qb/test/testbench.h"
#include "qb/text.h"
#include "qb/win/registry.h"
#include "regtwist.h"

namespace reg = qb::win::reg;

namespace {

std::string counted(void(__stdcall* fact)(unsigned char*)) {
  unsigned char buf[256];
  std::fill(std::begin(buf), std::end(buf), 0xCC);
  fact(buf);
  return qb::readCountedText(buf);
}

TEST(OutsideExports, EveryNameIsExportedExactly) {
  struct Lib { const wchar_t* file; std::vector<const char*> names; };
  const Lib libs[] = {
      {L"factbase.dll",
       {"GetTotalMem", "GetFreeRam", "GetUsedRam ", "GetSystemFolder", "GetWindowsFolder", "GetOSProduct",
        "GetOSProductType", "GetOSPlatform", "GetCodeName", "CPUString", "GetProductID", "GetLicenseKey",
        "GetRegisteredUser", "GetRegisteredOrganization", "GetDirectXShortVer", "GetDirectXVer",
        "GetComputerName", "GetWinUpdateVersion", "GetWMPVersion", "GetIEVersion", "GetWinMajorVersion",
        "GetWinMinorVersion", "GetWinBuildNumber"}},
      {L"regtwist.dll",
       {"GetPaintDesktopVersion", "SaveDesktopVersion", "SaveDesktopVersionFalse", "GetNoDesktop",
        "SaveNoDesktop_1", "SaveNoDesktop_0", "GetNoSaveSettings", "NoSaveSettings_1", "NoSaveSettings_0",
        "GetDesktopInfo", "SaveDesktopInfo", "Get48bitLBA", "S48bitLBA_enable", "S48bitLBA_disable",
        "Get_HKCU_CUR_POl_EXPL", "StartMenuPE", "GetPrefetchSTS", "PrefetchSave"}},
  };
  for (const auto& lib : libs) {
    HMODULE h = LoadLibraryW(lib.file);
    ASSERT_NE(h, nullptr);
    for (const char* name : lib.names) EXPECT_NE(GetProcAddress(h, name), nullptr) << name;
    EXPECT_EQ(GetProcAddress(h, "GetUsedRam"), nullptr) << "the name keeps its trailing blank";
    FreeLibrary(h);
  }
}

TEST(Factbase, MemoryAndFoldersComeFromTheSystem) {
  const long total = std::stol(counted(GetTotalMem));
  const long free = std::stol(counted(GetFreeRam));
  const long used = std::stol(counted(GetUsedRam));
  EXPECT_GT(total, 0);
  EXPECT_LE(free, total);
  EXPECT_NEAR(used + free, total, 1);

  char windows[MAX_PATH];
  GetWindowsDirectoryA(windows, MAX_PATH);
  EXPECT_EQ(counted(GetWindowsFolder), windows);
  const std::string system = counted(GetSystemFolder);
  EXPECT_NE(system.back(), '\\');
  EXPECT_EQ(GetFileAttributesA((system + "\\kernel32.dll").c_str()) != INVALID_FILE_ATTRIBUTES, true);

  OSVERSIONINFOA v{sizeof v};
  GetVersionExA(&v);
  EXPECT_EQ(GetWinMajorVersion(), v.dwMajorVersion);
  EXPECT_EQ(GetWinMinorVersion(), v.dwMinorVersion);
  EXPECT_EQ(static_cast<DWORD>(GetWinBuildNumber()), v.dwBuildNumber);
  EXPECT_STRNE(FactbaseComputerName(), "");
}

TEST(Factbase, RegistrationIsReadAfreshOnEveryCallInTheAnsiCodePage) {
  qb::test::ScratchRegistry scratch;
  const char* key = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  EXPECT_EQ(counted(GetRegisteredUser), "") << "a missing fact gives the empty text";
  reg::writeText(HKEY_LOCAL_MACHINE, key, "RegisteredOwner", "Łukasz");
  reg::writeText(HKEY_LOCAL_MACHINE, key, "RegisteredOrganization", "Korvane");
  EXPECT_EQ(counted(GetRegisteredUser), "\xA3ukasz") << "code page 1250";
  reg::writeText(HKEY_LOCAL_MACHINE, key, "RegisteredOwner", "Anna");
  EXPECT_EQ(counted(GetRegisteredUser), "Anna");
  EXPECT_EQ(counted(GetRegisteredOrganization), "Korvane");

  // An all-zero product id decodes to the first digit in every place.
  const auto k = reg::createKey(HKEY_LOCAL_MACHINE, key);
  BYTE id[164] = {};
  reg::writeRaw(k.get(), "DigitalProductId", REG_BINARY, id, sizeof id);
  EXPECT_EQ(counted(GetLicenseKey), "BBBBB-BBBBB-BBBBB-BBBBB-BBBBB");
  reg::writeRaw(k.get(), "DigitalProductId", REG_BINARY, id, 20);
  EXPECT_EQ(counted(GetLicenseKey), "") << "too short to hold a key";
}

TEST(Regtwist, SwitchesRoundTripWhereWindowsKeepsThem) {
  qb::test::ScratchRegistry scratch;
  struct Switch {
    unsigned char(__stdcall* get)();
    void(__stdcall* on)();
    void(__stdcall* off)();
    HKEY root;
    const char* key;
    const char* value;
  };
  const Switch switches[] = {
      {GetPaintDesktopVersion, SaveDesktopVersion, SaveDesktopVersionFalse, HKEY_CURRENT_USER,
       "Control Panel\\Desktop", "PaintDesktopVersion"},
      {GetNoDesktop, SaveNoDesktop_1, SaveNoDesktop_0, HKEY_CURRENT_USER,
       "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoDesktop"},
      {GetNoSaveSettings, NoSaveSettings_1, NoSaveSettings_0, HKEY_CURRENT_USER,
       "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer", "NoSaveSettings"},
      {Get48bitLBA, S48bitLBA_enable, S48bitLBA_disable, HKEY_LOCAL_MACHINE,
       "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters", "EnableBigLba"},
  };
  for (const auto& s : switches) {
    EXPECT_EQ(s.get(), 0) << s.value;
    s.on();
    EXPECT_EQ(s.get(), 1) << s.value;
    EXPECT_EQ(reg::readNumber(s.root, s.key, s.value).value, 1u) << s.value;
    s.off();
    EXPECT_EQ(s.get(), 0) << s.value;
    EXPECT_EQ(reg::readNumber(s.root, s.key, s.value).found, reg::Found::Value) << s.value;
  }
}

TEST(Regtwist, DesktopValuesPoliciesAndPrefetchMode) {
  qb::test::ScratchRegistry scratch;
  SaveDesktopInfo("Wallpaper", "C:\\Pictures\\\xB3\xF3" "d\x9F.bmp");  // "łódź" in code page 1250
  EXPECT_STREQ(GetDesktopInfo("Wallpaper"), "C:\\Pictures\\\xB3\xF3" "d\x9F.bmp");
  EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper").text,
            "C:\\Pictures\\łódź.bmp");
  SaveDesktopInfo("TileWallpaper", "1");
  EXPECT_STREQ(GetDesktopInfo("TileWallpaper"), "1");
  EXPECT_STREQ(GetDesktopInfo("NoSuchValue"), "");

  const unsigned char name[] = {11, 'N', 'o', 'C', 'D', 'B', 'u', 'r', 'n', 'i', 'n', 'g', 'X'};
  EXPECT_EQ(Get_HKCU_CUR_POl_EXPL(name), 0);
  StartMenuPE("NoCDBurning", 1);
  EXPECT_EQ(Get_HKCU_CUR_POl_EXPL(name), 1) << "the counted name stops before the X";
  StartMenuPE("NoCDBurning", 0);
  EXPECT_EQ(Get_HKCU_CUR_POl_EXPL(name), 0);

  for (int mode : {0, 1, 2, 3}) {
    PrefetchSave(mode);
    EXPECT_EQ(GetPrefetchSTS(), mode);
  }
  PrefetchSave(7);
  EXPECT_EQ(GetPrefetchSTS(), 3) << "a mode out of range is not stored";
}

TEST(Regtwist, FailedWritesChangeNothingAndLeaveTheErrorCode) {
  qb::test::ScratchRegistry readOnly(qb::test::RegistryAccess::ReadOnly);
  SaveDesktopVersion();
  EXPECT_NE(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(GetPaintDesktopVersion(), 0);
  PrefetchSave(2);
  EXPECT_EQ(GetPrefetchSTS(), 0);
}

}  // namespace
