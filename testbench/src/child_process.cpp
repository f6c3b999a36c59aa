#include "qb/test/child_process.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include <windows.h>

#include <optional>
#include <vector>

#include "qb/test/testbench.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace qb::test {

WineVersionSetting::WineVersionSetting(const std::wstring& exeName, const std::string& version)
    : path_(L"Software\\Wine\\AppDefaults\\" + exeName) {
  qb::win::UniqueKey key;
  DWORD disposition = 0;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, key.put(),
                      &disposition) != ERROR_SUCCESS)
    return;
  createdKey_ = disposition == REG_CREATED_NEW_KEY;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), L"Version", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
    std::vector<BYTE> data(size);
    if (RegQueryValueExW(key.get(), L"Version", nullptr, &type, data.data(), &size) == ERROR_SUCCESS) {
      data.resize(size);
      previousType_ = type;
      previous_ = std::move(data);
    }
  }
  const std::wstring wide = qb::win::widen(version);
  RegSetValueExW(key.get(), L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(wide.c_str()),
                 static_cast<DWORD>((wide.size() + 1) * sizeof(wchar_t)));
}

WineVersionSetting::~WineVersionSetting() {
  if (createdKey_) {
    RegDeleteKeyW(HKEY_CURRENT_USER, path_.c_str());
    return;
  }
  qb::win::UniqueKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS) return;
  if (previous_)
    RegSetValueExW(key.get(), L"Version", 0, previousType_, previous_->data(),
                   static_cast<DWORD>(previous_->size()));
  else
    RegDeleteValueW(key.get(), L"Version");
}

ChildResult runChild(const std::wstring& exeName, const std::wstring& arguments, const std::string& wineVersion) {
  ChildResult result;
  std::optional<WineVersionSetting> version;
  if (!wineVersion.empty()) version.emplace(exeName, wineVersion);

  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  qb::win::UniqueKernelHandle readEnd, writeEnd;
  {
    HANDLE r = nullptr, w = nullptr;
    if (!CreatePipe(&r, &w, &inherit, 0)) return result;
    readEnd.reset(r);
    writeEnd.reset(w);
  }
  SetHandleInformation(readEnd.get(), HANDLE_FLAG_INHERIT, 0);

  const std::wstring exe = programFolder() + L"\\" + exeName;
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty()) commandLine += L" " + arguments;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd.get();
  si.hStdError = writeEnd.get();
  si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi))
    return result;
  result.started = true;
  const qb::win::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  writeEnd.reset();  // the child holds the only write end now: reading ends when it exits

  char buf[4096];
  DWORD got = 0;
  while (ReadFile(readEnd.get(), buf, sizeof buf, &got, nullptr) && got > 0) result.output.append(buf, got);
  WaitForSingleObject(process.get(), 60000);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  result.exitCode = code;
  return result;
}

std::string ProbeFindings::text(const std::string& name) const {
  const auto it = values.find(name);
  return it == values.end() ? std::string() : it->second;
}

std::optional<long> ProbeFindings::number(const std::string& name) const {
  const auto it = values.find(name);
  if (it == values.end() || it->second.empty()) return std::nullopt;
  char* end = nullptr;
  const long value = std::strtol(it->second.c_str(), &end, 10);
  if (*end != '\0') return std::nullopt;
  return value;
}

std::ostream& operator<<(std::ostream& out, const ProbeFindings& findings) {
  if (!findings.run.started) return out << "(the probe did not start)";
  return out << "probe exit code " << findings.run.exitCode << ", output:\n" << findings.run.lines();
}

ProbeFindings runProbe(const std::wstring& exeName, const std::string& wineVersion, const std::wstring& arguments) {
  ProbeFindings findings;
  findings.run = runChild(exeName, arguments, wineVersion);
  std::istringstream lines(findings.run.lines());
  std::string line;
  while (std::getline(lines, line)) {
    const auto eq = line.find('=');
    if (eq != std::string::npos && eq > 0) findings.values.emplace(line.substr(0, eq), line.substr(eq + 1));
  }
  return findings;
}

void printFinding(const char* name, long value) {
  std::printf("%s=%ld\n", name, value);
  std::fflush(stdout);
}

void printFinding(const char* name, const std::string& text) {
  std::printf("%s=%s\n", name, text.c_str());
  std::fflush(stdout);
}

}  // namespace qb::test
