// Decodes each file given several times and prints three throughputs in MB/s
// of decoded pixels (the bitmap's buffer): the reader's on bytes already in
// memory; the reader's with the file read first, as a program opening a
// picture (and Pillow) does; and the floor, a plain memory copy of the decoded
// size into a new buffer. Each is the best of the rounds, timed the same way,
// so a first round in a fresh process pays for new pages in all of them.
// Used by bench_tga.py.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <vector>

#include "qb/wallface/tga_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

// Keeps the copies from being optimised away.
volatile std::uint8_t sink;

// The whole file in a new buffer, read as a program opening it would.
std::size_t readFile(const char* path, std::unique_ptr<std::uint8_t[]>& buffer) {
  std::FILE* f = std::fopen(path, "rb");
  if (!f) return 0;
  std::fseek(f, 0, SEEK_END);
  const long size = std::ftell(f);
  std::fseek(f, 0, SEEK_SET);
  buffer.reset(new std::uint8_t[static_cast<std::size_t>(size)]);
  const std::size_t got = std::fread(buffer.get(), 1, static_cast<std::size_t>(size), f);
  std::fclose(f);
  return got;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: bench_tga rounds file.tga...\n");
    return 1;
  }
  const int rounds = std::max(1, std::atoi(argv[1]));
  for (int i = 2; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    const std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());

    // From the file first: in a fresh process this is the first decode.
    double bestFromFile = 1e30;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      std::unique_ptr<std::uint8_t[]> file;
      const std::size_t size = readFile(argv[i], file);
      const qb::wallface::tga::Image img = qb::wallface::tga::decode(file.get(), size);
      const auto t1 = Clock::now();
      sink = img.bitmap.pixels[0];
      bestFromFile = std::min(bestFromFile, seconds(t0, t1));
    }

    double bestDecode = 1e30;
    std::size_t outBytes = 0;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      const qb::wallface::tga::Image img = qb::wallface::tga::decode(bytes.data(), bytes.size());
      const auto t1 = Clock::now();
      outBytes = img.bitmap.pixels.size();
      bestDecode = std::min(bestDecode, seconds(t0, t1));
    }

    // The floor: the decoded size copied from memory already touched into a
    // buffer allocated for the copy, as the reader allocates its bitmap.
    std::vector<std::uint8_t> source(outBytes);
    for (std::size_t k = 0; k < outBytes; ++k) source[k] = bytes[k % bytes.size()];
    double bestCopy = 1e30;
    for (int r = 0; r < rounds; ++r) {
      const auto t0 = Clock::now();
      auto* target = static_cast<std::uint8_t*>(std::malloc(outBytes));
      if (!target) return 2;
      std::memcpy(target, source.data(), outBytes);
      const auto t1 = Clock::now();
      sink = target[outBytes / 2];
      std::free(target);
      bestCopy = std::min(bestCopy, seconds(t0, t1));
    }
    std::printf("%s %.1f %.1f %.1f\n", argv[i], outBytes / bestDecode / 1e6, outBytes / bestFromFile / 1e6,
                outBytes / bestCopy / 1e6);
  }
  return 0;
}
