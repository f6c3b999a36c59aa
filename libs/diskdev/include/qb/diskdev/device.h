#pragma once
// A disk command device as the disk readers see it: opened by path, driven by
// device control requests, closed again. The system's device, a recorded disk
// and the tests' scripted devices all stand behind this interface.
#include <cstdint>

namespace qb::diskdev {

class DiskDevice {
 public:
  virtual ~DiskDevice() = default;
  virtual bool open(const char* path, std::uint32_t access, std::uint32_t share, std::uint32_t creation) = 0;
  // One device control request on the open device; in and out may overlap.
  // `returned` is how many bytes of out the device filled.
  virtual bool control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
                       std::uint32_t outSize, std::uint32_t& returned) = 0;
  virtual void close() = 0;
  // The calling thread's last system error code.
  virtual std::uint32_t lastError() = 0;
};

// Win32 values the devices are opened and driven with, kept here so that the
// readers need no Windows headers (the Windows side checks them against the SDK).
namespace win32 {
constexpr std::uint32_t kGenericRead = 0x80000000;
constexpr std::uint32_t kGenericWrite = 0x40000000;
constexpr std::uint32_t kShareRead = 0x1;
constexpr std::uint32_t kShareWrite = 0x2;
constexpr std::uint32_t kCreateNew = 1;
constexpr std::uint32_t kOpenExisting = 3;

constexpr std::uint32_t kDfpGetVersion = 0x74080;
constexpr std::uint32_t kDfpSendDriveCommand = 0x7C084;
constexpr std::uint32_t kDfpReceiveDriveData = 0x7C088;
constexpr std::uint32_t kIoctlScsiPassThrough = 0x4D004;
constexpr std::uint32_t kIoctlScsiMiniport = 0x4D008;

constexpr std::uint32_t kErrorInvalidFunction = 1;
constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorInvalidParameter = 87;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorIoDevice = 1117;
}  // namespace win32

}  // namespace qb::diskdev
