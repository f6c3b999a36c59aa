#include "version_resource.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace qb::modscope {

namespace {

constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BD;
constexpr std::size_t kHeader = 6;    // wLength, wValueLength, wType
constexpr std::size_t kHeader16 = 4;  // wLength, wValueLength: 16-bit modules have no type

std::uint16_t word(const unsigned char* p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
std::uint32_t dword(const unsigned char* p) {
  return static_cast<std::uint32_t>(word(p)) | (static_cast<std::uint32_t>(word(p + 2)) << 16);
}
std::size_t alignUp(std::size_t offset) { return (offset + 3) & ~static_cast<std::size_t>(3); }

// One node of the block: its key, its value and where its children lie,
// every part within the node, and the node within what holds it.
struct Node {
  std::size_t begin = 0, end = 0;  // offsets into the block
  std::size_t keyBegin = 0, keyChars = 0;
  std::size_t valueBegin = 0, valueSize = 0;
  bool text = false;
  std::size_t childrenBegin = 0;
  bool wide = true;  // UTF-16 key; 8-bit in the resources of 16-bit modules
};

std::optional<Node> readNode(const unsigned char* block, std::size_t begin, std::size_t limit, bool wide) {
  const std::size_t header = wide ? kHeader : kHeader16;
  const std::size_t unit = wide ? 2 : 1;
  if (begin > limit || limit - begin < header) return std::nullopt;
  const std::size_t length = word(block + begin);
  if (length < header || length > limit - begin) return std::nullopt;
  Node n;
  n.begin = begin;
  n.end = begin + length;
  n.wide = wide;
  n.text = wide && word(block + begin + 4) == 1;
  n.keyBegin = begin + header;
  std::size_t p = n.keyBegin;
  while (true) {
    if (n.end - p < unit) return std::nullopt;  // the key has no terminator inside the node
    if ((wide ? word(block + p) : block[p]) == 0) break;
    p += unit;
  }
  n.keyChars = (p - n.keyBegin) / unit;
  n.valueBegin = alignUp(p + unit);
  // Text values count characters, others bytes; whatever is claimed past the node is not there.
  const std::size_t claimed = word(block + begin + 2) * (n.text ? 2u : 1u);
  if (n.valueBegin > n.end) {
    n.valueBegin = n.end;
    n.valueSize = 0;
  } else {
    n.valueSize = std::min(claimed, n.end - n.valueBegin);
  }
  n.childrenBegin = std::min(alignUp(n.valueBegin + n.valueSize), n.end);
  return n;
}

bool keyMatches(const unsigned char* block, const Node& n, std::u16string_view key) {
  if (n.keyChars != key.size()) return false;
  for (std::size_t i = 0; i < key.size(); ++i) {
    char16_t a = n.wide ? word(block + n.keyBegin + 2 * i) : block[n.keyBegin + i], b = key[i];
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - u'a' + u'A');
    if (b >= u'a' && b <= u'z') b = static_cast<char16_t>(b - u'a' + u'A');
    if (a != b) return false;
  }
  return true;
}

std::optional<Node> findChild(const unsigned char* block, const Node& parent, std::u16string_view key) {
  std::size_t at = parent.childrenBegin;
  while (at < parent.end) {
    const auto child = readNode(block, at, parent.end, parent.wide);
    if (!child) return std::nullopt;
    if (keyMatches(block, *child, key)) return child;
    const std::size_t next = alignUp(child->end);
    if (next <= at) return std::nullopt;
    at = next;
  }
  return std::nullopt;
}

}  // namespace

bool sixteenBit(const unsigned char* block, std::size_t size) {
  // Where the wide form has its type (0 or 1), the 16-bit form has the first
  // letter of its key ("VS_VERSION_INFO").
  return block && size > 4 && block[4] >= 0x20;
}

std::optional<ValueBytes> queryValue(const unsigned char* block, std::size_t size, std::u16string_view path) {
  if (!block) return std::nullopt;
  auto node = readNode(block, 0, size, !sixteenBit(block, size));
  if (!node) return std::nullopt;
  while (!path.empty()) {
    if (path.front() == u'\\') {
      path.remove_prefix(1);
      continue;
    }
    const std::size_t slash = path.find(u'\\');
    const std::u16string_view key = path.substr(0, slash);
    path.remove_prefix(slash == std::u16string_view::npos ? path.size() : slash);
    node = findChild(block, *node, key);
    if (!node) return std::nullopt;
  }
  return ValueBytes{block + node->valueBegin, node->valueSize, node->text};
}

std::optional<std::array<std::uint16_t, 4>> fileVersion(const unsigned char* block, std::size_t size) {
  const auto value = queryValue(block, size, u"\\");
  // dwSignature, dwStrucVersion, dwFileVersionMS, dwFileVersionLS
  if (!value || value->size < 16 || dword(value->data) != kFixedInfoSignature) return std::nullopt;
  const std::uint32_t high = dword(value->data + 8), low = dword(value->data + 12);
  return std::array<std::uint16_t, 4>{static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                                      static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
}

std::optional<Translation> firstTranslation(const unsigned char* block, std::size_t size) {
  const auto value = queryValue(block, size, u"\\\\VarFileInfo\\\\Translation");
  if (!value || value->size < 4) return std::nullopt;
  return Translation{word(value->data), word(value->data + 2)};
}

std::optional<std::u16string> queryText(const unsigned char* block, std::size_t size, std::u16string_view path) {
  const auto value = queryValue(block, size, path);
  if (!value) return std::nullopt;
  std::u16string text;
  if (sixteenBit(block, size)) {
    for (std::size_t i = 0; i < value->size && value->data[i]; ++i) text += static_cast<char16_t>(value->data[i]);
    return text;
  }
  for (std::size_t i = 0; i + 1 < value->size; i += 2) {
    const char16_t c = word(value->data + i);
    if (c == 0) break;
    text += c;
  }
  return text;
}

std::string versionText(const std::array<std::uint16_t, 4>& v) {
  return std::to_string(v[0]) + "." + std::to_string(v[1]) + "." + std::to_string(v[2]) + "." + std::to_string(v[3]);
}

std::u16string stringTablePath(const Translation& t, std::u16string_view name) {
  char hex[16];
  std::snprintf(hex, sizeof hex, "%.4x%.4x", t.language, t.codePage);
  std::u16string path = u"\\\\StringFileInfo\\\\";
  for (const char* c = hex; *c; ++c) path += static_cast<char16_t>(*c);
  path += u"\\\\";
  path += name;
  return path;
}

}  // namespace qb::modscope
