#include "qb/chipscan/disk_identify.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace qb::chipscan {
namespace {

// IDENTIFY data as a disk stores it: character fields with the first character
// of each pair in the high byte.
struct Identify {
  std::array<std::uint8_t, kIdentifySize> bytes{};
  void text(std::size_t firstWord, std::size_t words, const char* s) {
    std::string padded(s);
    padded.resize(2 * words, ' ');
    for (std::size_t i = 0; i < words; ++i) {
      bytes[2 * (firstWord + i)] = static_cast<std::uint8_t>(padded[2 * i + 1]);
      bytes[2 * (firstWord + i) + 1] = static_cast<std::uint8_t>(padded[2 * i]);
    }
  }
  void number(std::size_t w, std::uint16_t v) {
    bytes[2 * w] = static_cast<std::uint8_t>(v);
    bytes[2 * w + 1] = static_cast<std::uint8_t>(v >> 8);
  }
};

Identify sampleDisk() {
  Identify id;
  id.text(27, 20, "WDC WD800");
  id.text(10, 10, "     WD-WMAM9Z123456");
  id.text(23, 4, "12.01B01");
  id.number(22, 4);
  id.number(5, 600);
  id.number(6, 63);
  id.number(3, 16);
  return id;
}

// A device that records what it was asked and replies as configured.
class FakeDisk : public DiskDevice {
 public:
  bool opens = true;
  bool answers = true;
  std::uint32_t replyBytes = kRequestBlockSize;  // counted from the output start
  std::uint32_t errorAfter = 0;
  Identify identify = sampleDisk();

  std::vector<std::string> opened;
  std::uint32_t access = 0, share = 0, creation = 0, code = 0, inSize = 0, outSize = 0;
  std::vector<std::uint8_t> sent;
  int closes = 0;

  bool open(const char* path, std::uint32_t a, std::uint32_t s, std::uint32_t c) override {
    opened.push_back(path);
    access = a;
    share = s;
    creation = c;
    if (!opens) error_ = 2;
    return opens;
  }
  bool control(std::uint32_t c, const std::uint8_t* in, std::uint32_t inBytes, std::uint8_t* out,
               std::uint32_t outBytes, std::uint32_t& returned) override {
    code = c;
    inSize = inBytes;
    outSize = outBytes;
    sent.assign(in, in + inBytes);
    if (!answers) {
      error_ = 1117;
      return false;
    }
    // The reply: driver status, then the IDENTIFY data, at the offset the
    // family uses (header of 28 + size field and status of 16 on NT, 16 on 9x).
    const std::size_t dataAt = outBytes == kRequestBlockSize ? 44 : 16;
    std::memset(out, 0, outBytes);
    std::memcpy(out + dataAt, identify.bytes.data(), kIdentifySize);
    returned = replyBytes;
    error_ = errorAfter;
    return true;
  }
  void close() override { ++closes; }
  std::uint32_t lastError() override { return error_; }

 private:
  std::uint32_t error_ = 0;
};

std::string fieldOf(const DiskAnswer& a) {
  EXPECT_EQ(a.kind, DiskAnswer::Kind::Field);
  return a.field;
}

TEST(DiskIdentify, NtRequestBlockByteForByte) {
  FakeDisk disk;
  queryDisk(disk, true, 1, "model");
  ASSERT_EQ(disk.opened, std::vector<std::string>{"\\\\.\\Scsi0:"});
  EXPECT_EQ(disk.access, 0xC0000000u);
  EXPECT_EQ(disk.share, 3u);
  EXPECT_EQ(disk.creation, 3u);
  EXPECT_EQ(disk.code, 0x4D008u);
  EXPECT_EQ(disk.inSize, 572u);
  EXPECT_EQ(disk.outSize, 572u);
  EXPECT_EQ(disk.closes, 1);

  std::vector<std::uint8_t> want(572, 0);
  const std::uint8_t head[] = {28, 0, 0, 0, 'S', 'C', 'S', 'I', 'D', 'I', 'S', 'K', 2, 0, 0, 0,
                               0x01, 0x05, 0x1B, 0, 0, 0, 0, 0, 0x20, 0x02, 0, 0,
                               0x00, 0x02, 0, 0, 0, 1, 1, 0, 0, 0xA0, 0xEC, 0, 1};
  std::memcpy(want.data(), head, sizeof head);
  EXPECT_EQ(disk.sent, want);
}

TEST(DiskIdentify, NineXRequestBlockByteForByte) {
  FakeDisk disk;
  disk.replyBytes = 528;
  EXPECT_EQ(fieldOf(queryDisk(disk, false, 3, "head")), "16");
  ASSERT_EQ(disk.opened, std::vector<std::string>{"\\\\.\\SMARTVSD"});
  EXPECT_EQ(disk.access, 0u);
  EXPECT_EQ(disk.share, 0u);
  EXPECT_EQ(disk.creation, 1u);
  EXPECT_EQ(disk.code, 0x7C088u);
  EXPECT_EQ(disk.inSize, 32u);
  EXPECT_EQ(disk.outSize, 528u);
  std::vector<std::uint8_t> want(32, 0);
  const std::uint8_t head[] = {0x00, 0x02, 0, 0, 0, 1, 1, 0, 0, 0xA0, 0xEC, 0, 3};
  std::memcpy(want.data(), head, sizeof head);
  EXPECT_EQ(disk.sent, want);
}

TEST(DiskIdentify, OnlyTheLowByteOfTheDriveIsSent) {
  const struct {
    std::int32_t drive;
    std::uint8_t sent;
  } cases[] = {{0, 0}, {3, 3}, {256, 0}, {257, 1}, {-1, 0xFF}};
  for (const auto& c : cases) {
    FakeDisk nt, nineX;
    queryDisk(nt, true, c.drive, "model");
    queryDisk(nineX, false, c.drive, "model");
    EXPECT_EQ(nt.sent.at(40), c.sent) << c.drive;
    EXPECT_EQ(nt.sent.at(37), 0xA0) << c.drive;
    EXPECT_EQ(nineX.sent.at(12), c.sent) << c.drive;
    EXPECT_EQ(nt.opened.front(), "\\\\.\\Scsi0:");
  }
}

TEST(DiskIdentify, FieldsAtFullLengthAndNumbersInDecimal) {
  const struct {
    const char* key;
    std::string text;
  } cases[] = {
      {"model", "WDC WD800" + std::string(31, ' ')},
      {"serial", "     WD-WMAM9Z123456"},
      {"firmware", "12.01B01"},
      {"ECC", "4"},
      {"byte/sec", "600"},
      {"sec/sciez", "63"},
      {"head", "16"},
  };
  for (const bool nt : {true, false}) {
    for (const auto& c : cases) {
      FakeDisk disk;
      EXPECT_EQ(fieldOf(queryDisk(disk, nt, 0, c.key)), c.text) << c.key << (nt ? " NT" : " 9x");
    }
  }
  FakeDisk big;
  big.identify.number(6, 0xFFFF);
  EXPECT_EQ(fieldOf(queryDisk(big, true, 0, "sec/sciez")), "65535");
}

TEST(DiskIdentify, ZeroModelFieldIsAnEmptyTextNotAFallback) {
  FakeDisk disk;
  disk.identify.text(27, 20, "");
  std::fill(disk.identify.bytes.begin() + 54, disk.identify.bytes.begin() + 94, 0);
  const DiskAnswer a = queryDisk(disk, true, 0, "model");
  EXPECT_EQ(a.kind, DiskAnswer::Kind::Field);
  EXPECT_EQ(a.field, std::string(40, '\0'));
}

TEST(DiskIdentify, FallbacksFollowTheLastError) {
  const struct {
    const char* name;
    bool opens, answers;
    std::uint32_t replyBytes, errorAfter;
    const char* key;
    DiskAnswer::Kind kind;
  } cases[] = {
      {"device missing", false, true, 572, 0, "model", DiskAnswer::Kind::NoDisk},
      {"command refused", true, false, 572, 0, "model", DiskAnswer::Kind::NoDisk},
      {"unknown key, no error", true, true, 572, 0, "Model", DiskAnswer::Kind::NoSmart},
      {"unknown key, error set", true, true, 572, 87, "Model", DiskAnswer::Kind::NoDisk},
      {"no key", true, true, 572, 0, nullptr, DiskAnswer::Kind::NoSmart},
      {"empty key", true, true, 572, 0, "", DiskAnswer::Kind::NoSmart},
      {"short reply", true, true, 555, 0, "model", DiskAnswer::Kind::NoSmart},
      {"short reply, error set", true, true, 100, 31, "serial", DiskAnswer::Kind::NoDisk},
  };
  for (const auto& c : cases) {
    FakeDisk disk;
    disk.opens = c.opens;
    disk.answers = c.answers;
    disk.replyBytes = c.replyBytes;
    disk.errorAfter = c.errorAfter;
    const DiskAnswer a = queryDisk(disk, true, 0, c.key);
    EXPECT_EQ(a.kind, c.kind) << c.name;
    EXPECT_TRUE(a.field.empty()) << c.name;
    EXPECT_EQ(disk.closes, c.opens ? 1 : 0) << c.name;
  }
}

}  // namespace
}  // namespace qb::chipscan
