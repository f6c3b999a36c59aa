// System facts, answered from the running system: memory status, folders,
// and the registry keys where Windows keeps version, registration and
// product facts.
#include "factbase.h"

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qb/text.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"

namespace reg = qb::win::reg;

namespace {

const char kNtCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const char k9xCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

// Facts are only read: open for reading, unlike the modules' own keys.
reg::Raw readMachine(const char* path, const char* name) {
  qb::win::UniqueKey key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, qb::win::widen(path).c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS) {
    key.release();
    return reg::Raw{};
  }
  return reg::readRaw(key.get(), name);
}

std::string machineText(const char* path, const char* name) {
  return reg::rawAsText(readMachine(path, name)).value_or(std::string());
}

const char* currentVersionKey() {
  return qb::win::windowsVersion().nt() ? kNtCurrentVersion : k9xCurrentVersion;
}

void answer(unsigned char* result, const std::string& utf8) {
  if (result) qb::writeCountedText(result, qb::win::toAnsi(qb::win::widen(utf8)));
}

const char* keep(std::string& slot, const std::string& utf8) {
  slot = qb::win::toAnsi(qb::win::widen(utf8));
  return slot.c_str();
}

std::string megabytes(DWORDLONG bytes) { return std::to_string(bytes / (1024 * 1024)) + " MB"; }

MEMORYSTATUSEX memoryStatus() {
  MEMORYSTATUSEX m{};
  m.dwLength = sizeof m;
  GlobalMemoryStatusEx(&m);
  return m;
}

std::string folder(UINT (WINAPI* get)(LPWSTR, UINT)) {
  wchar_t buf[MAX_PATH + 1] = {};
  const UINT n = get(buf, MAX_PATH);
  std::wstring s(buf, n < MAX_PATH ? n : 0);
  while (s.size() > 3 && s.back() == L'\\') s.pop_back();
  return qb::win::narrow(s);
}

std::string fileVersion(const std::wstring& path) {
  DWORD handle = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
  if (!size) return {};
  std::vector<unsigned char> data(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, data.data())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&info), &len) || !info) return {};
  char text[64];
  std::snprintf(text, sizeof text, "%lu.%lu.%lu.%lu", static_cast<unsigned long>(HIWORD(info->dwFileVersionMS)),
                static_cast<unsigned long>(LOWORD(info->dwFileVersionMS)),
                static_cast<unsigned long>(HIWORD(info->dwFileVersionLS)),
                static_cast<unsigned long>(LOWORD(info->dwFileVersionLS)));
  return text;
}

std::wstring systemFile(const wchar_t* name) {
  wchar_t dir[MAX_PATH] = {};
  GetSystemDirectoryW(dir, MAX_PATH);
  return std::wstring(dir) + L"\\" + name;
}

// The product key in the form Windows shows it, decoded from the 15 bytes at
// offset 52 of "DigitalProductId" (base 24 over the digit set below).
std::string decodeProductKey(const std::vector<unsigned char>& id) {
  static const char kDigits[] = "BCDFGHJKMPQRTVWXY2346789";
  if (id.size() < 52 + 15) return {};
  std::vector<unsigned char> n(id.begin() + 52, id.begin() + 52 + 15);
  std::string key(29, '-');
  for (int i = 28; i >= 0; --i) {
    if ((i + 1) % 6 == 0) continue;  // the dashes
    unsigned acc = 0;
    for (int j = 14; j >= 0; --j) {
      acc = (acc << 8) | n[static_cast<size_t>(j)];
      n[static_cast<size_t>(j)] = static_cast<unsigned char>(acc / 24);
      acc %= 24;
    }
    key[static_cast<size_t>(i)] = kDigits[acc];
  }
  return key;
}

std::string codeName(const qb::win::WindowsVersion& v) {
  struct Name { unsigned platform, major, minor; const char* name; };
  static const Name kNames[] = {
      {1, 4, 0, "Chicago"},  {1, 4, 10, "Memphis"}, {1, 4, 90, "Georgia"}, {2, 4, 0, "Shell Update Release"},
      {2, 5, 0, "NT 5.0"},   {2, 5, 1, "Whistler"}, {2, 5, 2, "Whistler Server"},
      {2, 6, 0, "Longhorn"}, {2, 6, 1, "Windows 7"},
  };
  for (const auto& n : kNames)
    if (n.platform == v.platform && n.major == v.major && n.minor == v.minor) return n.name;
  return {};
}

// DirectX as the user knows it, from the version number the runtime registers.
std::string directXShort(const std::string& version) {
  struct Name { const char* prefix; const char* name; };
  static const Name kNames[] = {
      {"4.09.00.0904", "9.0c"}, {"4.09.00.0903", "9.0c"}, {"4.09.00.0902", "9.0b"}, {"4.09.00.0901", "9.0a"},
      {"4.09.00.0900", "9.0"},  {"4.09", "9"},           {"4.08.01", "8.1"},       {"4.08", "8.0"},
      {"4.07", "7"},            {"4.06", "6"},           {"4.05", "5"},
  };
  for (const auto& n : kNames)
    if (version.compare(0, std::string(n.prefix).size(), n.prefix) == 0) return n.name;
  return {};
}

template <typename F>
void guarded(unsigned char* result, F&& fact) {
  try {
    answer(result, fact());
  } catch (...) {
    answer(result, {});
  }
}

template <typename F>
const char* guardedText(std::string& slot, F&& fact) {
  try {
    return keep(slot, fact());
  } catch (...) {
    slot.clear();
    return slot.c_str();
  }
}

}  // namespace

extern "C" {

void __stdcall GetTotalMem(unsigned char* r) { guarded(r, [] { return megabytes(memoryStatus().ullTotalPhys); }); }
void __stdcall GetFreeRam(unsigned char* r) { guarded(r, [] { return megabytes(memoryStatus().ullAvailPhys); }); }
void __stdcall GetUsedRam(unsigned char* r) {
  guarded(r, [] {
    const auto m = memoryStatus();
    return megabytes(m.ullTotalPhys - m.ullAvailPhys);
  });
}
void __stdcall GetSystemFolder(unsigned char* r) { guarded(r, [] { return folder(GetSystemDirectoryW); }); }
void __stdcall GetWindowsFolder(unsigned char* r) { guarded(r, [] { return folder(GetWindowsDirectoryW); }); }
void __stdcall GetOSProduct(unsigned char* r) { guarded(r, [] { return machineText(currentVersionKey(), "ProductName"); }); }
void __stdcall GetOSProductType(unsigned char* r) {
  guarded(r, [] {
    const std::string type = machineText("SYSTEM\\CurrentControlSet\\Control\\ProductOptions", "ProductType");
    if (type == "WinNT") return std::string("Workstation");
    if (type == "ServerNT") return std::string("Server");
    if (type == "LanmanNT") return std::string("Domain Controller");
    return type;
  });
}
void __stdcall GetOSPlatform(unsigned char* r) {
  guarded(r, [] { return std::string(qb::win::windowsVersion().nt() ? "Windows NT" : "Windows 9x"); });
}
void __stdcall GetCodeName(unsigned char* r) { guarded(r, [] { return codeName(qb::win::windowsVersion()); }); }
void __stdcall CPUString(unsigned char* r) {
  guarded(r, [] {
    return machineText("HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0", "ProcessorNameString");
  });
}
void __stdcall GetProductID(unsigned char* r) { guarded(r, [] { return machineText(currentVersionKey(), "ProductId"); }); }
void __stdcall GetLicenseKey(unsigned char* r) {
  guarded(r, [] {
    const reg::Raw id = readMachine(currentVersionKey(), "DigitalProductId");
    return id.found == reg::Found::Value && id.type == REG_BINARY ? decodeProductKey(id.data) : std::string();
  });
}
void __stdcall GetRegisteredUser(unsigned char* r) {
  guarded(r, [] { return machineText(currentVersionKey(), "RegisteredOwner"); });
}
void __stdcall GetRegisteredOrganization(unsigned char* r) {
  guarded(r, [] { return machineText(currentVersionKey(), "RegisteredOrganization"); });
}
void __stdcall GetDirectXShortVer(unsigned char* r) {
  guarded(r, [] { return directXShort(machineText("SOFTWARE\\Microsoft\\DirectX", "Version")); });
}
void __stdcall GetDirectXVer(unsigned char* r) {
  guarded(r, [] { return machineText("SOFTWARE\\Microsoft\\DirectX", "Version"); });
}

const char* __stdcall FactbaseComputerName() {
  static thread_local std::string slot;
  return guardedText(slot, [] {
    wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD n = MAX_COMPUTERNAME_LENGTH + 1;
    return GetComputerNameW(name, &n) ? qb::win::narrow(std::wstring(name, n)) : std::string();
  });
}
const char* __stdcall GetWinUpdateVersion() {
  static thread_local std::string slot;
  return guardedText(slot, [] { return fileVersion(systemFile(L"wuaueng.dll")); });
}
const char* __stdcall GetWMPVersion() {
  static thread_local std::string slot;
  return guardedText(slot, [] {
    std::string v = machineText("SOFTWARE\\Microsoft\\MediaPlayer\\PlayerUpgrade", "PlayerVersion");
    if (v.empty()) v = fileVersion(systemFile(L"wmp.dll"));
    for (char& c : v)
      if (c == ',') c = '.';
    return v;
  });
}
const char* __stdcall GetIEVersion() {
  static thread_local std::string slot;
  return guardedText(slot, [] {
    std::string v = machineText("SOFTWARE\\Microsoft\\Internet Explorer", "svcVersion");
    if (v.empty()) v = machineText("SOFTWARE\\Microsoft\\Internet Explorer", "Version");
    return v;
  });
}

unsigned char __stdcall GetWinMajorVersion() { return static_cast<unsigned char>(qb::win::windowsVersion().major); }
unsigned char __stdcall GetWinMinorVersion() { return static_cast<unsigned char>(qb::win::windowsVersion().minor); }
int __stdcall GetWinBuildNumber() { return static_cast<int>(qb::win::windowsVersion().build); }

}  // extern "C"
