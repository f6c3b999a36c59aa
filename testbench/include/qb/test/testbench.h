#pragma once
// Helpers for tests that run under Wine.
#include <windows.h>

#include <string>
#include <vector>

#include "qb/win/handles.h"

namespace qb::test {

enum class RegistryAccess { Writable, ReadOnly };

// Redirects HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE of this process to fresh
// scratch keys for its lifetime, so tests never touch the prefix's settings.
// ReadOnly roots are opened for reading only: every create or write below
// them fails with access denied. Scratch roots nest: when an inner one ends,
// the roots of the one around it are in force again.
class ScratchRegistry {
 public:
  explicit ScratchRegistry(RegistryAccess access = RegistryAccess::Writable);
  ScratchRegistry(const ScratchRegistry&) = delete;
  ScratchRegistry& operator=(const ScratchRegistry&) = delete;
  ~ScratchRegistry();

  // The scratch key's real path below HKEY_CURRENT_USER.
  const std::wstring& basePath() const { return base_; }

 private:
  void overrideRoots() const;

  std::wstring base_;
  qb::win::UniqueKey user_;
  qb::win::UniqueKey machine_;
};

// Processes pending messages of this thread for about the given time.
void pumpMessages(DWORD milliseconds = 0);

// A top-level window with the given title, standing in for the host window.
class HostWindow {
 public:
  explicit HostWindow(const std::wstring& title, DWORD exStyle = WS_EX_CONTROLPARENT);
  HostWindow(const HostWindow&) = delete;
  HostWindow& operator=(const HostWindow&) = delete;
  ~HostWindow();
  HWND hwnd() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
};

// The bytes of a wide text as the registry stores it, with or without its terminator.
inline std::vector<unsigned char> wideBytes(const std::wstring& text, bool terminator = true) {
  const auto* p = reinterpret_cast<const unsigned char*>(text.c_str());
  return std::vector<unsigned char>(p, p + (text.size() + (terminator ? 1 : 0)) * sizeof(wchar_t));
}

// Path of the folder that holds the running test program.
std::wstring programFolder();

}  // namespace qb::test
