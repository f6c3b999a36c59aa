#pragma once
// A disk command driver that answers as a test scripts it and records every
// request, for the S.M.A.R.T. disk access.
#include <array>
#include <cstring>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "qb/diskdev/ata.h"
#include "qb/diskdev/device.h"
#include "qb/diskdev/recording.h"

namespace qb::smart::test {

namespace ata = qb::diskdev::ata;
namespace win32 = qb::diskdev::win32;

struct ScriptedDevice {
  bool identifies = true;
  bool enables = true;
  bool readsData = true;
  bool readsThresholds = true;
  std::uint8_t driverError = 1;  // in a failed reply
  std::uint8_t ideStatus = 0x51;
  qb::diskdev::Snapshot disk = qb::diskdev::recordedDisk("MODEL", "SERIAL", {});
};

struct Request {
  std::uint32_t code;
  std::vector<std::uint8_t> in;
  std::uint32_t outSize;
  std::uint32_t presetBufferSize;  // the reply buffer's size field when the request went out
  ata::Command command() const { return ata::decodeCommand(in.data()); }
};

class ScriptedDrive : public qb::diskdev::DiskDevice {
 public:
  bool opens = true;
  bool versionAnswers = true;
  std::uint8_t map = 0x01;
  std::array<ScriptedDevice, 4> devices;
  std::uint32_t errorCode = 0;      // what lastError() reports after a failure
  std::uint32_t shortReply = 0;     // when set, receives return this many bytes
  std::function<void(const Request&)> onRequest;  // may throw
  std::function<void()> onOpen;                   // may throw
  std::vector<std::uint8_t> scsiPage;             // the pass-through's returned data
  bool passThroughAnswers = true;

  std::vector<std::string> opened;
  std::uint32_t access = 0, share = 0, creation = 0;
  std::vector<Request> requests;
  int closes = 0;

  bool open(const char* path, std::uint32_t a, std::uint32_t s, std::uint32_t c) override {
    opened.push_back(path);
    if (onOpen) onOpen();
    access = a;
    share = s;
    creation = c;
    return opens;
  }
  bool control(std::uint32_t code, const std::uint8_t* in, std::uint32_t inSize, std::uint8_t* out,
               std::uint32_t outSize, std::uint32_t& returned) override {
    Request r{code, std::vector<std::uint8_t>(in, in + inSize), outSize, 0};
    if (out && outSize >= 4) r.presetBufferSize = ata::decodeReplyStatus(out).bufferSize;
    requests.push_back(r);
    if (onRequest) onRequest(r);
    if (code == win32::kDfpGetVersion) {
      if (!versionAnswers) return false;
      ata::encodeVersionReply({1, 1, map, 7}, out);
      returned = 24;
      return true;
    }
    if (code == win32::kIoctlScsiPassThrough) {
      if (!passThroughAnswers) return false;
      std::memcpy(out + ata::scsi::kDataOffset, scsiPage.data(), std::min<std::size_t>(scsiPage.size(), 192));
      returned = 268;
      return true;
    }
    const ata::Command c = r.command();
    const ScriptedDevice& d = devices.at(c.driveNumber & 3);
    const qb::diskdev::Sector* data = nullptr;
    bool ok = true;
    if (c.registers.command != ata::kSmartCommand) {
      ok = d.identifies;
      data = &*d.disk.identify;
    } else if (c.registers.features == ata::kSmartEnableOperations) {
      ok = d.enables;
    } else if (c.registers.features == ata::kSmartReadData) {
      ok = d.readsData;
      data = &*d.disk.smartData;
    } else {
      ok = d.readsThresholds;
      data = &*d.disk.thresholds;
    }
    ata::encodeReplyStatus({ok && data ? 512u : 0u, ok ? std::uint8_t{0} : d.driverError,
                            ok ? std::uint8_t{0x50} : d.ideStatus},
                           out);
    if (ok && data) std::memcpy(out + 16, data->data(), 512);
    returned = ok && data ? 528 : 16;
    if (ok && data && shortReply) returned = shortReply;
    return ok;
  }
  void close() override { ++closes; }
  std::uint32_t lastError() override { return errorCode; }
};

}  // namespace qb::smart::test
