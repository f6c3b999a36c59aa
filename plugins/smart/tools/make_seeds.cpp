// Writes a few recordings for the fuzz target to start from.
//   smart_fuzz_seeds FOLDER
#include <cstdio>
#include <string>

#include "qb/diskdev/recording.h"

namespace {

bool write(const std::string& path, const std::vector<std::uint8_t>& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: smart_fuzz_seeds FOLDER\n");
    return 2;
  }
  using qb::diskdev::recordedDisk;
  const std::string folder = argv[1];
  const qb::diskdev::Snapshot healthy =
      recordedDisk("ST380011A", "5JVABC12", {{1, 0x0F, 100, 100, 0, 6}, {3, 0x03, 97, 96, 0, 0},
                                             {5, 0x33, 100, 100, 501, 36}, {194, 0x22, 41, 50, 41, 0}});
  qb::diskdev::Snapshot partial = healthy;
  partial.smartData.reset();
  bool ok = write(folder + "/healthy.smart", encodeSnapshot(healthy));
  ok = write(folder + "/atapi.smart", encodeSnapshot(recordedDisk("CD-ROM", "", {}, true))) && ok;
  ok = write(folder + "/no_data.smart", encodeSnapshot(partial)) && ok;
  return ok ? 0 : 1;
}
