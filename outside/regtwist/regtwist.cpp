// Single system settings, each read and written where Windows keeps it.
#include "regtwist.h"

#include <windows.h>

#include <string>

#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace reg = qb::win::reg;

namespace {

const char kDesktop[] = "Control Panel\\Desktop";
const char kExplorerPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char kAtapi[] = "SYSTEM\\CurrentControlSet\\Services\\atapi\\Parameters";
const char kPrefetch[] =
    "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\PrefetchParameters";

unsigned char flag(HKEY root, const char* path, const std::string& name) {
  const auto n = reg::readNumber(root, path, name);
  return n.found == reg::Found::Value && n.value != 0 ? 1 : 0;
}

// No function reports an error; the last-error code tells a caller that asks.
void store(HKEY root, const char* path, const std::string& name, DWORD value) {
  try {
    reg::writeNumber(root, path, name, value);
    SetLastError(ERROR_SUCCESS);
  } catch (const reg::RegistryError& e) {
    SetLastError(static_cast<DWORD>(e.code()));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

std::string ansiName(const char* name) { return name ? qb::win::narrow(qb::win::fromAnsi(name)) : std::string(); }

}  // namespace

extern "C" {

unsigned char __stdcall GetPaintDesktopVersion() { return flag(HKEY_CURRENT_USER, kDesktop, "PaintDesktopVersion"); }
void __stdcall SaveDesktopVersion() { store(HKEY_CURRENT_USER, kDesktop, "PaintDesktopVersion", 1); }
void __stdcall SaveDesktopVersionFalse() { store(HKEY_CURRENT_USER, kDesktop, "PaintDesktopVersion", 0); }

unsigned char __stdcall GetNoDesktop() { return flag(HKEY_CURRENT_USER, kExplorerPolicies, "NoDesktop"); }
void __stdcall SaveNoDesktop_1() { store(HKEY_CURRENT_USER, kExplorerPolicies, "NoDesktop", 1); }
void __stdcall SaveNoDesktop_0() { store(HKEY_CURRENT_USER, kExplorerPolicies, "NoDesktop", 0); }

unsigned char __stdcall GetNoSaveSettings() { return flag(HKEY_CURRENT_USER, kExplorerPolicies, "NoSaveSettings"); }
void __stdcall NoSaveSettings_1() { store(HKEY_CURRENT_USER, kExplorerPolicies, "NoSaveSettings", 1); }
void __stdcall NoSaveSettings_0() { store(HKEY_CURRENT_USER, kExplorerPolicies, "NoSaveSettings", 0); }

const char* __stdcall GetDesktopInfo(const char* name) {
  static thread_local std::string result;
  result.clear();
  try {
    const auto text = reg::readText(HKEY_CURRENT_USER, kDesktop, ansiName(name));
    result = qb::win::toAnsi(qb::win::widen(text.text));
  } catch (...) {
  }
  return result.c_str();
}

void __stdcall SaveDesktopInfo(const char* name, const char* value) {
  try {
    reg::writeText(HKEY_CURRENT_USER, kDesktop, ansiName(name), ansiName(value));
    SetLastError(ERROR_SUCCESS);
  } catch (const reg::RegistryError& e) {
    SetLastError(static_cast<DWORD>(e.code()));
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  }
}

unsigned char __stdcall Get48bitLBA() { return flag(HKEY_LOCAL_MACHINE, kAtapi, "EnableBigLba"); }
void __stdcall S48bitLBA_enable() { store(HKEY_LOCAL_MACHINE, kAtapi, "EnableBigLba", 1); }
void __stdcall S48bitLBA_disable() { store(HKEY_LOCAL_MACHINE, kAtapi, "EnableBigLba", 0); }

int __stdcall Get_HKCU_CUR_POl_EXPL(const unsigned char* countedName) {
  if (!countedName) return 0;
  const std::string name(reinterpret_cast<const char*>(countedName + 1), countedName[0]);
  const auto n = reg::readNumber(HKEY_CURRENT_USER, kExplorerPolicies, ansiName(name.c_str()));
  return n.found == reg::Found::Value && n.value == 1 ? 1 : 0;
}

int __stdcall StartMenuPE(const char* name, int value) {
  store(HKEY_CURRENT_USER, kExplorerPolicies, ansiName(name), value ? 1 : 0);
  return value;
}

int __stdcall GetPrefetchSTS() {
  const auto n = reg::readNumber(HKEY_LOCAL_MACHINE, kPrefetch, "EnablePrefetcher");
  return n.found == reg::Found::Value && n.value <= 3 ? static_cast<int>(n.value) : 0;
}

void __stdcall PrefetchSave(int mode) {
  if (mode < 0 || mode > 3) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return;
  }
  store(HKEY_LOCAL_MACHINE, kPrefetch, "EnablePrefetcher", static_cast<DWORD>(mode));
}

}  // extern "C"
