#include "windows_disk.h"

#include <windows.h>

#include "qb/win/handles.h"

namespace qb::chipscan {

static_assert(win32::kGenericRead == GENERIC_READ && win32::kGenericWrite == GENERIC_WRITE);
static_assert(win32::kShareRead == FILE_SHARE_READ && win32::kShareWrite == FILE_SHARE_WRITE);
static_assert(win32::kCreateNew == CREATE_NEW && win32::kOpenExisting == OPEN_EXISTING);

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

DiskDevice* replacement = nullptr;

}  // namespace

DiskDevice& diskDevice() {
  static SystemDisk system;
  return replacement ? *replacement : system;
}

void replaceDiskDevice(DiskDevice* device) { replacement = device; }

}  // namespace qb::chipscan
