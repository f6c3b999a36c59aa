// Decodes a JPEG file several times with the toolkit's JpegImage and prints
// the best time. bench_jpeg.sh runs it with and without libjpeg-turbo's SIMD.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "qb/test/bench_timing.h"
#include "qb/win/text.h"
#include "qb/tk/pictures/graphic.h"
#include "qb/tk/pictures/jpeg_image.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: bench_jpeg file.jpg [rounds]\n");
    return 1;
  }
  const std::vector<std::uint8_t> bytes = qb::tk::pictures::ReadWholeFile(qb::win::narrow(argv[1]));
  const int rounds = argc > 2 ? _wtoi(argv[2]) : 5;
  std::vector<double> times;
  int width = 0, height = 0;
  for (int i = 0; i < rounds; ++i) {
    const double start = qb::test::nowMs();
    qb::tk::pictures::JpegImage image;
    image.LoadFromStream(bytes.data(), bytes.size());
    times.push_back(qb::test::nowMs() - start);
    width = image.Width();
    height = image.Height();
  }
  char simd[16] = "";
  GetEnvironmentVariableA("JSIMD_FORCENONE", simd, sizeof simd);
  std::printf("%dx%d JPEG decode, %s: %.1f ms (best of %d)\n", width, height,
              simd[0] == '1' ? "without SIMD" : "with SIMD", qb::test::summarize(times).fastest, rounds);
  return 0;
}
