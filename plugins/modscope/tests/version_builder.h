#pragma once
// Builds version resources byte by byte for the tests, including ones that
// are cut short or claim more than they hold.
#include <cstdint>
#include <string>
#include <vector>

namespace qb::modscope::test {

using Bytes = std::vector<unsigned char>;

inline void putWord(Bytes& b, std::uint16_t w) {
  b.push_back(static_cast<unsigned char>(w));
  b.push_back(static_cast<unsigned char>(w >> 8));
}
inline void putDword(Bytes& b, std::uint32_t d) {
  putWord(b, static_cast<std::uint16_t>(d));
  putWord(b, static_cast<std::uint16_t>(d >> 16));
}
inline void pad(Bytes& b) {
  while (b.size() % 4) b.push_back(0);
}

// One node: key, value (UTF-16 text or bytes) and children.
inline Bytes node(const std::u16string& key, const Bytes& value, bool text, const std::vector<Bytes>& children = {}) {
  Bytes b(6, 0);
  for (char16_t c : key) putWord(b, c);
  putWord(b, 0);
  pad(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  const auto length = static_cast<std::uint16_t>(b.size());
  const auto valueLength = static_cast<std::uint16_t>(text ? value.size() / 2 : value.size());
  b[0] = static_cast<unsigned char>(length);
  b[1] = static_cast<unsigned char>(length >> 8);
  b[2] = static_cast<unsigned char>(valueLength);
  b[3] = static_cast<unsigned char>(valueLength >> 8);
  b[4] = text ? 1 : 0;
  return b;
}

inline Bytes utf16z(const std::u16string& text) {
  Bytes b;
  for (char16_t c : text) putWord(b, c);
  putWord(b, 0);
  return b;
}

inline Bytes fixedInfo(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d) {
  Bytes v;
  putDword(v, 0xFEEF04BD);
  putDword(v, 0x00010000);
  putDword(v, (static_cast<std::uint32_t>(a) << 16) | b);
  putDword(v, (static_cast<std::uint32_t>(c) << 16) | d);
  for (int i = 0; i < 9; ++i) putDword(v, 0);  // product version, flags, OS, type, date
  return v;
}

struct StringTable {
  std::u16string key;  // "040904b0"
  std::u16string description;
};

// A whole VS_VERSIONINFO: version a.b.c.d, the translations listed in
// VarFileInfo, and one string table each with a FileDescription.
inline Bytes versionResource(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                             const std::vector<std::pair<std::uint16_t, std::uint16_t>>& translations,
                             const std::vector<StringTable>& tables) {
  std::vector<Bytes> stringTables;
  for (const StringTable& t : tables)
    stringTables.push_back(node(t.key, {}, true, {node(u"FileDescription", utf16z(t.description), true)}));
  Bytes pairs;
  for (const auto& [language, codePage] : translations) {
    putWord(pairs, language);
    putWord(pairs, codePage);
  }
  return node(u"VS_VERSION_INFO", fixedInfo(a, b, c, d), false,
              {node(u"StringFileInfo", {}, true, stringTables),
               node(u"VarFileInfo", {}, true, {node(u"Translation", pairs, false)})});
}

// A node of the 16-bit form: no type word, 8-bit key, value length in bytes.
inline Bytes node16(const std::string& key, const Bytes& value, const std::vector<Bytes>& children = {}) {
  Bytes b(4, 0);
  for (char c : key) b.push_back(static_cast<unsigned char>(c));
  b.push_back(0);
  pad(b);
  b.insert(b.end(), value.begin(), value.end());
  for (const Bytes& child : children) {
    pad(b);
    b.insert(b.end(), child.begin(), child.end());
  }
  const auto length = static_cast<std::uint16_t>(b.size());
  const auto valueLength = static_cast<std::uint16_t>(value.size());
  b[0] = static_cast<unsigned char>(length);
  b[1] = static_cast<unsigned char>(length >> 8);
  b[2] = static_cast<unsigned char>(valueLength);
  b[3] = static_cast<unsigned char>(valueLength >> 8);
  return b;
}

// The resource of a 16-bit module: one translation, its description as bytes.
inline Bytes versionResource16(std::uint16_t a, std::uint16_t b, std::uint16_t c, std::uint16_t d,
                               std::pair<std::uint16_t, std::uint16_t> translation, const std::string& table,
                               const std::string& description) {
  Bytes text;
  for (char ch : description) text.push_back(static_cast<unsigned char>(ch));
  text.push_back(0);
  Bytes pair;
  putWord(pair, translation.first);
  putWord(pair, translation.second);
  return node16("VS_VERSION_INFO", fixedInfo(a, b, c, d),
                {node16("StringFileInfo", {}, {node16(table, {}, {node16("FileDescription", text)})}),
                 node16("VarFileInfo", {}, {node16("Translation", pair)})});
}

}  // namespace qb::modscope::test
