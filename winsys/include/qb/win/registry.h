#pragma once
// Registry access as the modules use it: every operation opens its key and
// closes it again, always asking for full access so that a key the user may
// read but not write reads as missing. Readers absorb failures and say what
// they found; writers throw RegistryError, which ends an apply sequence.
// Paths are UTF-8, with backslashes; a leading backslash names the same key.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "qb/win/handles.h"

namespace qb::win::reg {

// A write that failed. location() names the key and value as a user would
// look them up in the registry editor; what() adds the operation, for logs.
class RegistryError : public std::runtime_error {
 public:
  RegistryError(const std::string& operation, std::string location, LONG code)
      : std::runtime_error(operation + ' ' + location), location_(std::move(location)), code_(code) {}
  const std::string& location() const { return location_; }
  LONG code() const { return code_; }

 private:
  std::string location_;
  LONG code_;
};

enum class Found { NoKey, NoValue, WrongType, Value };

struct Text {
  Found found = Found::NoKey;
  std::string text;  // UTF-8; empty unless found == Value
};
struct Number {
  Found found = Found::NoKey;
  std::uint32_t value = 0;
};
struct Raw {
  Found found = Found::NoKey;
  DWORD type = REG_NONE;
  std::vector<unsigned char> data;
};

// Opens an existing key with full access; an empty owner when it cannot.
UniqueKey openKey(HKEY root, std::string_view path);
bool keyExists(HKEY root, std::string_view path);

Raw readRaw(HKEY root, std::string_view path, std::string_view name);
Raw readRaw(HKEY key, std::string_view name);
// REG_SZ and REG_EXPAND_SZ (left unexpanded) count as text.
Text readText(HKEY root, std::string_view path, std::string_view name);
Text readText(HKEY key, std::string_view name);
// Only a REG_DWORD of four bytes counts as a number.
Number readNumber(HKEY root, std::string_view path, std::string_view name);
Number readNumber(HKEY key, std::string_view name);

// Names of the values and subkeys of an open key, in the order the registry gives.
std::vector<std::string> valueNames(HKEY key);
std::vector<std::string> subkeyNames(HKEY key);

// Every value of an open key with its data, in the order the registry gives,
// read in one pass (one call per value instead of three).
struct NamedValue {
  std::string name;
  Raw value;
};
std::vector<NamedValue> values(HKEY key);

// Writers open the key, creating it when needed.
UniqueKey createKey(HKEY root, std::string_view path);
void writeText(HKEY root, std::string_view path, std::string_view name, std::string_view text);
void writeNumber(HKEY root, std::string_view path, std::string_view name, std::uint32_t value);
void writeRaw(HKEY root, std::string_view path, std::string_view name, DWORD type, const void* data, DWORD size);
inline void writeRaw(HKEY root, std::string_view path, std::string_view name, DWORD type,
                     const std::vector<unsigned char>& data) {
  writeRaw(root, path, name, type, data.data(), static_cast<DWORD>(data.size()));
}
void deleteValue(HKEY root, std::string_view path, std::string_view name);
// Deletes a key with everything below it; a key that is not there is no failure.
void deleteTree(HKEY root, std::string_view path);

// The same writers on a key the caller holds open (created with createKey).
void writeRaw(HKEY key, std::string_view name, DWORD type, const void* data, DWORD size);
inline void writeRaw(HKEY key, std::string_view name, DWORD type, const std::vector<unsigned char>& data) {
  writeRaw(key, name, type, data.data(), static_cast<DWORD>(data.size()));
}
void writeText(HKEY key, std::string_view name, std::string_view text);
void writeNumber(HKEY key, std::string_view name, std::uint32_t value);

// Interprets a raw value as text: REG_SZ/REG_EXPAND_SZ data up to the first
// terminator (or its whole length when it has none).
std::optional<std::string> rawAsText(const Raw& raw);

}  // namespace qb::win::reg
