// Decodes each file given several times and prints the throughput in MB/s of
// decoded pixels (the bitmap's buffer). Used by bench_tga.py.
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "qb/wallface/tga_reader.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_tga rounds file.tga...\n");
    return 1;
  }
  const int rounds = std::atoi(argv[1]);
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    double best = 1e30;
    std::size_t outBytes = 0;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = std::chrono::steady_clock::now();
      const qb::wallface::tga::Image img = qb::wallface::tga::decode(bytes.data(), bytes.size());
      const auto t1 = std::chrono::steady_clock::now();
      outBytes = img.bitmap.pixels.size();
      best = std::min(best, std::chrono::duration<double>(t1 - t0).count());
    }
    std::printf("%s %.1f\n", argv[i], outBytes / best / 1e6);
  }
  return 0;
}
