#pragma once
// Reading a file's version resource (the block GetFileVersionInfo gives) with
// every length checked against the block, so that a resource that is cut
// short or claims more than it holds reads as missing instead of being read
// past its end.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qb::modscope {

// The bytes of one value in the block.
struct ValueBytes {
  const unsigned char* data = nullptr;
  std::size_t size = 0;
  bool text = false;  // the node marks its value as text (UTF-16)
};

// The resources of 16-bit modules keep the same tree with 8-bit keys and
// texts (in the system's code page) and no type word.
bool sixteenBit(const unsigned char* block, std::size_t size);

// Looks up a value by its path of keys, as VerQueryValue does: "\" is the
// root's own value (the fixed file information), and
// "\StringFileInfo\040904b0\FileDescription" a string. Keys compare
// ignoring ASCII case, and empty parts of the path (doubled backslashes) are
// passed over.
std::optional<ValueBytes> queryValue(const unsigned char* block, std::size_t size, std::u16string_view path);

// The file version of the fixed file information: the high and low halves of
// the most significant double word, then of the least significant one.
std::optional<std::array<std::uint16_t, 4>> fileVersion(const unsigned char* block, std::size_t size);

// The first language and code page pair of "\VarFileInfo\Translation".
struct Translation {
  std::uint16_t language = 0;
  std::uint16_t codePage = 0;
};
std::optional<Translation> firstTranslation(const unsigned char* block, std::size_t size);

// A string value of the block, up to its terminator; nothing when the path
// leads nowhere. In a 16-bit block each character holds one byte of the
// system's code page, for the caller to convert.
std::optional<std::u16string> queryText(const unsigned char* block, std::size_t size, std::u16string_view path);

// "1.2.3.4".
std::string versionText(const std::array<std::uint16_t, 4>& version);

// The path of a string of the first translation's table, written with two
// backslashes at every separator: "\\StringFileInfo\\040904b0\\<name>".
std::u16string stringTablePath(const Translation& translation, std::u16string_view name);

}  // namespace qb::modscope
