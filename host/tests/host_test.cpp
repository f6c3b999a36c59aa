// The real host with the real chime.dll, in a process of its own.
#include <gtest/gtest.h>
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>

#include "qb/diskdev/recorded_folder.h"
#include "qb/diskdev/recording.h"
#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "qb/win/registry.h"

namespace reg = qb::win::reg;

namespace {

const char kSound[] = "Control Panel\\Sound";

HWND waitForWindow(const wchar_t* title) {
  for (int i = 0; i < 200; ++i) {
    if (HWND h = FindWindowW(nullptr, title)) return h;
    Sleep(50);
  }
  return nullptr;
}

struct ChildSearch {
  std::wstring text;
  HWND found;
};

BOOL CALLBACK matchChild(HWND h, LPARAM lp) {
  auto* search = reinterpret_cast<ChildSearch*>(lp);
  wchar_t buf[256] = {};
  GetWindowTextW(h, buf, 256);
  if (search->text != buf) return TRUE;
  search->found = h;
  return FALSE;
}

HWND findChild(HWND parent, const std::wstring& text) {
  ChildSearch search{text, nullptr};
  EnumChildWindows(parent, matchChild, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

class HostProcess {
 public:
  explicit HostProcess(const std::wstring& args) {
    std::wstring cmd = L"qubrix.exe " + args;
    STARTUPINFOW si{sizeof si};
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_.reset(pi.hProcess);
      CloseHandle(pi.hThread);
    }
    window_ = waitForWindow(L"Qubrix");
  }
  HostProcess(const HostProcess&) = delete;
  HostProcess& operator=(const HostProcess&) = delete;
  ~HostProcess() {
    if (window_) PostMessageW(window_, WM_CLOSE, 0, 0);
    if (process_ && WaitForSingleObject(process_.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process_.get(), 1);
  }
  HWND window() const { return window_; }
  DWORD exitCode() {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(process_.get(), 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process_.get(), &code);
    return code;
  }
  void close() {
    PostMessageW(window_, WM_CLOSE, 0, 0);
    window_ = nullptr;
  }

 private:
  qb::win::UniqueKernelHandle process_;
  HWND window_ = nullptr;
};

// The host writes to the prefix's real settings; keep what was there.
class KeepBeep {
 public:
  KeepBeep() : before_(reg::readText(HKEY_CURRENT_USER, kSound, "Beep")) {}
  ~KeepBeep() {
    if (before_.found == reg::Found::Value) reg::writeText(HKEY_CURRENT_USER, kSound, "Beep", before_.text);
    else reg::deleteValue(HKEY_CURRENT_USER, kSound, "Beep");
  }

 private:
  reg::Text before_;
};

TEST(Host, ShowsChimeAsBeepSaysAndWritesYesOrNoOnApply) {
  KeepBeep keep;
  for (const char* start : {"yes", "No"}) {
    reg::writeText(HKEY_CURRENT_USER, kSound, "Beep", start);
    HostProcess host(L"chime");
    ASSERT_NE(host.window(), nullptr) << "the host did not open";
    HWND box = nullptr;
    // The page is a child of the host before it has read its state; it shows once it has.
    for (int i = 0; i < 100 && !(box && IsWindowVisible(box)); ++i, Sleep(50))
      box = findChild(host.window(), L"Dźwięk 'beep' przy błedach");
    ASSERT_NE(box, nullptr) << "no chime page in the host";
    const bool on = std::string(start) == "yes";
    EXPECT_EQ(SendMessageW(box, BM_GETCHECK, 0, 0), on ? BST_CHECKED : BST_UNCHECKED) << start;

    SendMessageW(box, BM_CLICK, 0, 0);
    SendMessageW(findChild(host.window(), L"Zastosuj"), BM_CLICK, 0, 0);
    EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, kSound, "Beep").text, on ? "No" : "Yes") << start;
    host.close();
    EXPECT_EQ(host.exitCode(), 0u);
  }
}

}  // namespace

namespace {

TEST(Host, UnloadingAModuleWithItsPageShownTakesThePageDownAndItLoadsAgain) {
  qb::test::HostWindow host(L"Unload host");
  for (int round = 0; round < 2; ++round) {
    qb::win::UniqueModule chime(LoadLibraryW(L"chime.dll"));
    ASSERT_TRUE(chime);
    auto show = reinterpret_cast<void(__stdcall*)(int, int, const char*)>(
        reinterpret_cast<void*>(GetProcAddress(chime.get(), "ShowDLLWND")));
    ASSERT_NE(show, nullptr);
    show(0, 0, "Unload host");
    qb::test::pumpMessages();
    EXPECT_NE(FindWindowExW(host.hwnd(), nullptr, L"Tdllform", nullptr), nullptr) << round;
    chime.reset();
    qb::test::pumpMessages();
    EXPECT_EQ(FindWindowExW(host.hwnd(), nullptr, L"Tdllform", nullptr), nullptr) << round;
  }
}

}  // namespace

namespace {

TEST(Host, DisksOptionShowsTheRecordedDisksInTheSmartPage) {
  qb::diskdev::RecordedFolder folder(L"host_recorded_disks");
  folder.write(L"0.smart", qb::diskdev::recordedDisk("ST380011A", "5JVABC12", {{194, 0x22, 41, 50, 41, 0}}));
  folder.write(L"1.smart", qb::diskdev::recordedDisk("WDC WD800JB", "WD-WMAM9Z123456", {}));
  // The folder reaches the host by the option alone, not by inheritance.
  SetEnvironmentVariableW(L"QUBRIX_DISKS", nullptr);
  HostProcess host(L"--disks host_recorded_disks smart");
  ASSERT_NE(host.window(), nullptr) << "the host did not open";
  // The page's two lists: the disks, and the attributes (empty until a click).
  LRESULT rows[2] = {-1, -1};
  for (int i = 0; i < 100 && rows[0] + rows[1] != 2; ++i, Sleep(50)) {
    const HWND page = FindWindowExW(host.window(), nullptr, L"TForm2", nullptr);
    if (!page || !IsWindowVisible(page)) continue;
    HWND list = nullptr;
    for (LRESULT& count : rows) {
      list = FindWindowExW(page, list, L"SysListView32", nullptr);
      count = list ? SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : -1;
    }
  }
  EXPECT_EQ(std::max(rows[0], rows[1]), 2) << "disks listed";
  EXPECT_EQ(std::min(rows[0], rows[1]), 0) << "no attributes before a click";
  host.close();
  EXPECT_EQ(host.exitCode(), 0u);
}

}  // namespace
