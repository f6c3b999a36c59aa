#include "qb/diskdev/ata.h"

#include <gtest/gtest.h>

#include <vector>

namespace qb::diskdev::ata {
namespace {

TEST(AtaBlocks, SerialInquiryBlockByteForByte) {
  std::vector<std::uint8_t> block(scsi::kBlockSize, 0xEE);
  scsi::encodeSerialInquiry(block.data());
  std::vector<std::uint8_t> want(scsi::kBlockSize, 0);
  const std::uint8_t head[] = {44, 0, 0, 0, 0, 0, 6, 24, 1, 0, 0, 0, 192, 0, 0, 0, 2, 0, 0, 0, 76, 0,
                               0,  0, 44, 0, 0, 0, 0x12, 0x01, 0x80, 0x00, 0xC0, 0x00};
  std::copy(std::begin(head), std::end(head), want.begin());
  EXPECT_EQ(block, want);
}

TEST(AtaBlocks, SerialPageIsReadWithinItsBytes) {
  const struct {
    const char* name;
    std::vector<std::uint8_t> page;
    bool found;
    std::string serial;
  } cases[] = {
      {"trimmed", {0, 0x80, 0, 8, ' ', 'S', 'N', '1', '2', 0x01, ' ', 0x7F}, true, "SN12"},
      {"other page", {0, 0x83, 0, 4, 'A', 'B', 'C', 'D'}, false, ""},
      {"empty page", {0, 0x80, 0, 0}, false, ""},
      {"all blanks", {0, 0x80, 0, 3, ' ', ' ', 0}, true, ""},
  };
  for (const auto& c : cases) {
    std::vector<std::uint8_t> data(scsi::kDataSize, 0);
    std::copy(c.page.begin(), c.page.end(), data.begin());
    std::string serial = "old";
    EXPECT_EQ(scsi::serialFromPage(data.data(), serial), c.found) << c.name;
    if (c.found) {
      EXPECT_EQ(serial, c.serial) << c.name;
    }
  }
  // A page length of 255 claims more than the 192 bytes asked for: the text
  // stops at the end of the data, and ASan would catch a read beyond it.
  std::vector<std::uint8_t> full(scsi::kDataSize, 'x');
  full[1] = 0x80;
  full[3] = 255;
  std::string serial;
  ASSERT_TRUE(scsi::serialFromPage(full.data(), serial));
  EXPECT_EQ(serial, std::string(scsi::kDataSize - 4, 'x'));
}

TEST(AtaBlocks, PacketDevicesByWordZero) {
  const struct {
    std::uint8_t high;
    bool packet;
  } cases[] = {{0x00, false}, {0x04, false}, {0x80, true}, {0x85, true}, {0xC0, false}, {0x40, false}};
  for (const auto& c : cases) {
    std::uint8_t identify[kSectorSize] = {};
    identify[1] = c.high;
    EXPECT_EQ(isPacketDevice(identify), c.packet) << int(c.high);
  }
}

}  // namespace
}  // namespace qb::diskdev::ata
