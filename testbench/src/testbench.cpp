#include "qb/test/testbench.h"

#include <algorithm>
#include <atomic>
#include <stdexcept>
#include <vector>

namespace qb::test {
namespace {

const wchar_t kScratchRoot[] = L"Software\\QubrixTests";

// True when the key is gone afterwards.
bool deleteTree(HKEY parent, const std::wstring& sub) {
  {
    qb::win::UniqueKey key;
    if (RegOpenKeyExW(parent, sub.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return false;
    wchar_t name[512];
    for (;;) {
      DWORD len = 512;
      if (RegEnumKeyExW(key.get(), 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
      // A subkey that stays (no access) would come first again for ever.
      if (!deleteTree(key.get(), name)) break;
    }
  }
  return RegDeleteKeyW(parent, sub.c_str()) == ERROR_SUCCESS;
}

// Wine lets a subkey be created under a handle opened for reading; it refuses
// a lasting subkey below a volatile key, and any value on the read-only handle.
// A volatile root opened for reading therefore fails every write below it.
qb::win::UniqueKey makeRoot(const std::wstring& path, bool readOnly) {
  {
    qb::win::UniqueKey created;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr,
                        readOnly ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                        created.put(), nullptr) != ERROR_SUCCESS)
      throw std::runtime_error("cannot create scratch key");
  }
  qb::win::UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, readOnly ? KEY_READ : KEY_ALL_ACCESS, key.put()) !=
      ERROR_SUCCESS)
    throw std::runtime_error("cannot open scratch key");
  return key;
}

// The scratch roots alive in this process, innermost last. The system cannot
// be asked which override is in force, so the bench remembers it.
std::vector<const ScratchRegistry*>& liveScratchRoots() {
  static std::vector<const ScratchRegistry*> roots;
  return roots;
}

}  // namespace

ScratchRegistry::ScratchRegistry(RegistryAccess access) {
  static std::atomic<int> counter{0};
  const bool readOnly = access == RegistryAccess::ReadOnly;
  base_ = std::wstring(kScratchRoot) + L"\\" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++counter);
  // Created through the real roots, also when an outer scratch root is in force.
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  try {
    user_ = makeRoot(base_ + L"\\HKCU", readOnly);
    machine_ = makeRoot(base_ + L"\\HKLM", readOnly);
  } catch (...) {
    if (!liveScratchRoots().empty()) liveScratchRoots().back()->overrideRoots();
    deleteTree(HKEY_CURRENT_USER, base_);
    throw;
  }
  liveScratchRoots().push_back(this);
  overrideRoots();
}

ScratchRegistry::~ScratchRegistry() {
  auto& live = liveScratchRoots();
  live.erase(std::remove(live.begin(), live.end(), this), live.end());
  RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
  user_.reset();
  machine_.reset();
  deleteTree(HKEY_CURRENT_USER, base_);
  if (!live.empty()) live.back()->overrideRoots();
}

void ScratchRegistry::overrideRoots() const {
  RegOverridePredefKey(HKEY_CURRENT_USER, user_.get());
  RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_.get());
}

void pumpMessages(DWORD milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    if (milliseconds) Sleep(5);
  } while (GetTickCount() - start < milliseconds);
}

namespace {
const wchar_t kHostClass[] = L"QubrixTestHost";

LRESULT CALLBACK hostProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return DefWindowProcW(hwnd, msg, wp, lp);
}

void registerHostClass() {
  static bool done = false;
  if (done) return;
  WNDCLASSW wc{};
  wc.lpfnWndProc = hostProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = kHostClass;
  RegisterClassW(&wc);
  done = true;
}
}  // namespace

HostWindow::HostWindow(const std::wstring& title, DWORD exStyle) {
  registerHostClass();
  hwnd_ = CreateWindowExW(exStyle, kHostClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10,
                          800, 600, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!hwnd_) throw std::runtime_error("cannot create host window (no display?)");
  pumpMessages();
}

HostWindow::~HostWindow() {
  if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  pumpMessages();
}

std::wstring programFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring s(path, n);
  return s.substr(0, s.find_last_of(L"\\/"));
}

}  // namespace qb::test
