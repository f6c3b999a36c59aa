// libFuzzer target: any block of bytes read as a version resource, in a heap
// block of exactly its size so that the sanitizers see every stray read.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>

#include "version_resource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::unique_ptr<unsigned char[]> block(new unsigned char[size ? size : 1]);
  if (size) std::memcpy(block.get(), data, size);
  using namespace qb::modscope;
  (void)fileVersion(block.get(), size);
  if (const auto t = firstTranslation(block.get(), size))
    (void)queryText(block.get(), size, stringTablePath(*t, u"FileDescription"));
  (void)queryText(block.get(), size, u"\\StringFileInfo\\040904b0\\ProductName");
  return 0;
}
