#include "qb/diskdev/recorded_folder.h"

#include <windows.h>

#include <stdexcept>

#include "qb/diskdev/system.h"
#include "qb/win/handles.h"

namespace qb::diskdev {

namespace {
std::wstring programFolder() {
  wchar_t path[MAX_PATH];
  const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  const std::wstring s(path, n);
  return s.substr(0, s.find_last_of(L"\\/"));
}
}  // namespace

RecordedFolder::RecordedFolder(const std::wstring& name) : path_(programFolder() + L"\\" + name) {
  if (GetEnvironmentVariableW(kSnapshotFolderVariable, nullptr, 0) != 0) before_ = snapshotFolder();
  CreateDirectoryW(path_.c_str(), nullptr);
  empty();
  SetEnvironmentVariableW(kSnapshotFolderVariable, path_.c_str());
}

RecordedFolder::~RecordedFolder() {
  SetEnvironmentVariableW(kSnapshotFolderVariable, before_ ? before_->c_str() : nullptr);
  empty();
  RemoveDirectoryW(path_.c_str());
}

void RecordedFolder::write(const std::wstring& file, const std::vector<std::uint8_t>& bytes) {
  const qb::win::UniqueFileHandle out(
      CreateFileW((path_ + L"\\" + file).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD written = 0;
  if (!out || (!bytes.empty() && (!WriteFile(out.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                                             nullptr) ||
                                  written != bytes.size())))
    throw std::runtime_error("cannot write a recorded disk");
}

void RecordedFolder::remove(const std::wstring& file) { DeleteFileW((path_ + L"\\" + file).c_str()); }

void RecordedFolder::empty() {
  for (const std::wstring& file : snapshotFiles(path_)) remove(file);
}

}  // namespace qb::diskdev
