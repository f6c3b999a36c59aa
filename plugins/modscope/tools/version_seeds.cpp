// Writes well-formed version resources as the fuzz target's starting points.
//   version_seeds <folder>
#include <cstdio>
#include <string>

#include "version_builder.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  using namespace qb::modscope::test;
  const Bytes seeds[] = {
      versionResource(5, 1, 2600, 5512, {{0x0409, 0x04b0}}, {{u"040904b0", u"Sample library"}}),
      versionResource(1, 0, 0, 1, {{0x0415, 0x04e2}, {0x0409, 0x04b0}}, {{u"040904b0", u"A"}, {u"041504e2", u"B"}}),
  };
  int n = 0;
  for (const Bytes& seed : seeds) {
    const std::string path = std::string(argv[1]) + "/seed" + std::to_string(n++) + ".bin";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return 1;
    std::fwrite(seed.data(), 1, seed.size(), f);
    std::fclose(f);
  }
  return 0;
}
