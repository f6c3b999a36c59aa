#include <windows.h>

#include <algorithm>

#include "qb/diskdev/snapshot.h"
#include "qb/diskdev/system.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"

namespace qb::diskdev {

static_assert(win32::kGenericRead == GENERIC_READ && win32::kGenericWrite == GENERIC_WRITE);
static_assert(win32::kShareRead == FILE_SHARE_READ && win32::kShareWrite == FILE_SHARE_WRITE);
static_assert(win32::kCreateNew == CREATE_NEW && win32::kOpenExisting == OPEN_EXISTING);
static_assert(win32::kErrorFileNotFound == ERROR_FILE_NOT_FOUND && win32::kErrorIoDevice == ERROR_IO_DEVICE);
static_assert(win32::kErrorInvalidFunction == ERROR_INVALID_FUNCTION &&
              win32::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER &&
              win32::kErrorInvalidParameter == ERROR_INVALID_PARAMETER);

namespace {

class SystemDisk : public DiskDevice {
 public:
  bool open(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t creation) override {
    // The A form: the device names are plain ASCII and Windows 9x has no CreateFileW.
    device_.reset(CreateFileA(path, access, share, nullptr, creation, 0, nullptr));
    return static_cast<bool>(device_);
  }
  bool control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
               std::uint32_t outSize, std::uint32_t& returned) override {
    DWORD got = 0;
    const BOOL ok = DeviceIoControl(device_.get(), code, const_cast<std::uint8_t*>(in), inSize, out, outSize,
                                    &got, nullptr);
    returned = got;
    return ok != FALSE;
  }
  void close() override { device_.reset(); }
  std::uint32_t lastError() override { return GetLastError(); }

 private:
  qb::win::UniqueFileHandle device_;
};

// The recordings of one folder, looked up again at every open: a click reads
// the disk anew, and a recording changed in between is seen.
class FolderSource : public SnapshotSource {
 public:
  std::wstring folder;

  std::optional<std::vector<std::uint8_t>> file(std::size_t index) override {
    const std::vector<std::wstring> names = snapshotFiles(folder);
    if (index >= names.size()) return std::nullopt;
    return readFile(folder + L"\\" + names[index]);
  }

 private:
  // A file too large to be a recording is read only past the limit, so that
  // the parser refuses it without the whole of it in memory.
  static std::optional<std::vector<std::uint8_t>> readFile(const std::wstring& path) {
    const qb::win::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                     nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return std::nullopt;
    std::vector<std::uint8_t> bytes(kMaxSnapshotFileSize + 1);
    std::size_t have = 0;
    while (have < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + have, static_cast<DWORD>(bytes.size() - have), &got, nullptr))
        return std::nullopt;
      if (got == 0) break;
      have += got;
    }
    bytes.resize(have);
    return bytes;
  }
};

// Failures of a recorded disk reach the caller the way the system's do.
class RecordedDisks : public SnapshotDevice {
 public:
  using SnapshotDevice::SnapshotDevice;
  std::uint32_t lastError() override { return GetLastError(); }

 protected:
  void setError(std::uint32_t code) override {
    SnapshotDevice::setError(code);
    SetLastError(code);
  }
};

DiskDevice* replacement = nullptr;

}  // namespace

std::wstring snapshotFolder() {
  // Through the system's call, not getenv: the host sets it with SetEnvironmentVariableW.
  std::wstring value(MAX_PATH, L'\0');
  DWORD n = GetEnvironmentVariableW(kSnapshotFolderVariable, value.data(), static_cast<DWORD>(value.size()));
  if (n >= value.size()) {
    value.resize(n);
    n = GetEnvironmentVariableW(kSnapshotFolderVariable, value.data(), static_cast<DWORD>(value.size()));
  }
  value.resize(n < value.size() ? n : 0);
  return value;
}

std::vector<std::wstring> snapshotFiles(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  const qb::win::UniqueFind find(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!find) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.emplace_back(found.cFileName);
  } while (FindNextFileW(find.get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

DiskDevice& diskDevice() {
  if (replacement) return *replacement;
  const std::wstring folder = snapshotFolder();
  if (!folder.empty()) {
    static FolderSource source;
    static RecordedDisks recorded(source);
    source.folder = folder;
    return recorded;
  }
  static SystemDisk system;
  return system;
}

void replaceDiskDevice(DiskDevice* device) { replacement = device; }

std::string systemMessage(std::uint32_t code) {
  wchar_t text[1024];
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, text,
                                 sizeof text / sizeof text[0], nullptr);
  std::wstring message(text, n);
  while (!message.empty() && (message.back() == L' ' || message.back() == L'\r' || message.back() == L'\n' ||
                              message.back() == L'.'))
    message.pop_back();
  return qb::win::narrow(message);
}

}  // namespace qb::diskdev
