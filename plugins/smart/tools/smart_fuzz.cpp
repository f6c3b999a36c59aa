// libFuzzer target for everything that reads a recorded disk: the input is a
// recording, answered by the recorded-disk device to the S.M.A.R.T. page's
// disk access (both system families) and to chipscan's IDENTIFY question; the
// same bytes also stand for raw driver replies of any length.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "qb/chipscan/disk_identify.h"
#include "qb/diskdev/snapshot.h"
#include "smart_disk.h"

namespace {

class OneFile : public qb::diskdev::SnapshotSource {
 public:
  OneFile(const std::uint8_t* data, std::size_t size) : bytes_(data, data + size) {}
  std::optional<std::vector<std::uint8_t>> file(std::size_t index) override {
    if (index > 1) return std::nullopt;  // disk 1 is the same recording again
    return bytes_;
  }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Answers every request with the input's bytes, as many as fit.
class RawReplies : public qb::diskdev::DiskDevice {
 public:
  RawReplies(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
  bool open(const char*, std::uint32_t, std::uint32_t, std::uint32_t) override { return true; }
  bool control(std::uint32_t, const std::uint8_t*, std::uint32_t, std::uint8_t* out, std::uint32_t outSize,
               std::uint32_t& returned) override {
    returned = static_cast<std::uint32_t>(std::min<std::size_t>(size_, outSize));
    if (returned) std::memcpy(out, data_, returned);
    return size_ == 0 || (data_[0] & 1);
  }
  void close() override {}
  std::uint32_t lastError() override { return size_ ? data_[size_ - 1] : 0; }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
};

void readAll(qb::diskdev::DiskDevice& device) {
  using namespace qb::smart;
  for (const Platform platform : {Platform::Nt, Platform::NineX}) {
    DiskAccess access{device, platform, [](std::uint32_t code) { return std::to_string(code); }};
    std::string error, model, serial;
    for (int index = 0; index < 3; ++index) {
      IdentifyDisk(access, index, error, model, serial);
      TSmartResult result;
      ReadSmartData(access, index, error, result);
      if (result.count < 0 || result.count > 30) std::abort();
      for (int i = 0; i < result.count; ++i) groupedRaw(result.raw[i], "\xC2\xA0");
      ReadScsiSerial(access, index, error, serial);
    }
    for (const char* key : {"model", "serial", "firmware", "ECC", "head"})
      qb::chipscan::queryDisk(device, platform == Platform::Nt, 1, key);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  qb::diskdev::parseSnapshot(data, size);
  OneFile file(data, size);
  qb::diskdev::SnapshotDevice recorded(file);
  readAll(recorded);
  RawReplies raw(data, size);
  readAll(raw);
  return 0;
}
