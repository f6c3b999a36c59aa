#include "qb/win/registry.h"

#include <algorithm>
#include <cstring>

#include "qb/win/text.h"

namespace qb::win::reg {
namespace {

std::wstring keyPath(std::string_view path) {
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  return widen(path);
}

const char* rootName(HKEY root) {
  if (root == HKEY_CURRENT_USER) return "HKEY_CURRENT_USER";
  if (root == HKEY_LOCAL_MACHINE) return "HKEY_LOCAL_MACHINE";
  if (root == HKEY_CLASSES_ROOT) return "HKEY_CLASSES_ROOT";
  if (root == HKEY_USERS) return "HKEY_USERS";
  if (root == HKEY_CURRENT_CONFIG) return "HKEY_CURRENT_CONFIG";
  if (root == HKEY_DYN_DATA) return "HKEY_DYN_DATA";
  return nullptr;
}

// root may be a key the caller opened, whose path is not known here.
[[noreturn]] void fail(const char* operation, HKEY root, std::string_view path, std::string_view name, LONG code) {
  std::string location;
  if (const char* r = rootName(root)) location = r;
  while (!path.empty() && path.front() == '\\') path.remove_prefix(1);
  if (!path.empty()) {
    if (!location.empty()) location += '\\';
    location += path;
  }
  if (!name.empty()) {
    if (!location.empty()) location += ' ';
    location += '"';
    location += name;
    location += '"';
  }
  throw RegistryError(operation, location, code);
}

}  // namespace

UniqueKey openKey(HKEY root, std::string_view path) {
  UniqueKey key;
  if (RegOpenKeyExW(root, keyPath(path).c_str(), 0, KEY_ALL_ACCESS, key.put()) != ERROR_SUCCESS)
    key.release();
  return key;
}

bool keyExists(HKEY root, std::string_view path) { return static_cast<bool>(openKey(root, path)); }

Raw readRaw(HKEY key, std::string_view name) {
  Raw raw;
  const std::wstring wname = widen(name);
  // Most values fit a small buffer: one query instead of asking for the size first.
  raw.data.resize(512);
  DWORD type = 0;
  DWORD size = static_cast<DWORD>(raw.data.size());
  LONG rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type, raw.data.data(), &size);
  while (rc == ERROR_MORE_DATA) {
    // size says what the value needs now; it may grow again before the next query.
    raw.data.resize(size > raw.data.size() ? size : raw.data.size() * 2);
    size = static_cast<DWORD>(raw.data.size());
    rc = RegQueryValueExW(key, wname.c_str(), nullptr, &type, raw.data.data(), &size);
  }
  if (rc == ERROR_SUCCESS) {
    raw.data.resize(size);
    raw.type = type;
    raw.found = Found::Value;
    return raw;
  }
  raw.data.clear();
  raw.found = Found::NoValue;
  return raw;
}

Raw readRaw(HKEY root, std::string_view path, std::string_view name) {
  const UniqueKey key = openKey(root, path);
  if (!key) return Raw{};
  return readRaw(key.get(), name);
}

std::optional<std::string> rawAsText(const Raw& raw) {
  if (raw.found != Found::Value || (raw.type != REG_SZ && raw.type != REG_EXPAND_SZ)) return std::nullopt;
  std::wstring text(raw.data.size() / sizeof(wchar_t), L'\0');
  std::memcpy(text.data(), raw.data.data(), text.size() * sizeof(wchar_t));
  const auto end = text.find(L'\0');
  if (end != std::wstring::npos) text.resize(end);
  return narrow(text);
}

Text readText(HKEY key, std::string_view name) {
  const Raw raw = readRaw(key, name);
  if (raw.found != Found::Value) return Text{raw.found, {}};
  auto text = rawAsText(raw);
  if (!text) return Text{Found::WrongType, {}};
  return Text{Found::Value, std::move(*text)};
}

Text readText(HKEY root, std::string_view path, std::string_view name) {
  const UniqueKey key = openKey(root, path);
  if (!key) return Text{};
  return readText(key.get(), name);
}

Number readNumber(HKEY key, std::string_view name) {
  const Raw raw = readRaw(key, name);
  if (raw.found != Found::Value) return Number{raw.found, 0};
  if (raw.type != REG_DWORD || raw.data.size() != sizeof(DWORD)) return Number{Found::WrongType, 0};
  DWORD v = 0;
  std::memcpy(&v, raw.data.data(), sizeof v);
  return Number{Found::Value, v};
}

Number readNumber(HKEY root, std::string_view path, std::string_view name) {
  const UniqueKey key = openKey(root, path);
  if (!key) return Number{};
  return readNumber(key.get(), name);
}

std::vector<std::string> valueNames(HKEY key) {
  std::vector<std::string> names;
  DWORD count = 0, longest = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longest,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::wstring buf(longest + 2, L'\0');
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(buf.size());
    const LONG rc = RegEnumValueW(key, i, buf.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_MORE_DATA) {
      buf.resize(buf.size() * 2 + 256);
      --i;
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    names.push_back(narrow(std::wstring_view(buf.data(), len)));
  }
  return names;
}

std::vector<NamedValue> values(HKEY key) {
  std::vector<NamedValue> found;
  DWORD count = 0, longestName = 0, longestData = 0;
  if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       &longestData, nullptr, nullptr) != ERROR_SUCCESS)
    return found;
  found.reserve(count);
  std::wstring name(longestName + 2, L'\0');
  std::vector<unsigned char> data(longestData + 2);
  for (DWORD i = 0;;) {
    DWORD nameLen = static_cast<DWORD>(name.size());
    DWORD dataLen = static_cast<DWORD>(data.size());
    DWORD type = REG_NONE;
    const LONG rc = RegEnumValueW(key, i, name.data(), &nameLen, nullptr, &type, data.data(), &dataLen);
    if (rc == ERROR_MORE_DATA) {  // a value grew since the key was measured
      name.resize(name.size() * 2 + 256);
      data.resize(std::max<size_t>(data.size() * 2, dataLen + 2));
      continue;
    }
    if (rc != ERROR_SUCCESS) break;
    NamedValue v;
    v.name = narrow(std::wstring_view(name.data(), nameLen));
    v.value.found = Found::Value;
    v.value.type = type;
    v.value.data.assign(data.begin(), data.begin() + dataLen);
    found.push_back(std::move(v));
    ++i;
  }
  return found;
}

std::vector<std::string> subkeyNames(HKEY key) {
  std::vector<std::string> names;
  wchar_t buf[512];  // key names are at most 255 characters
  for (DWORD i = 0;; ++i) {
    DWORD len = static_cast<DWORD>(std::size(buf));
    if (RegEnumKeyExW(key, i, buf, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.push_back(narrow(std::wstring_view(buf, len)));
  }
  return names;
}

UniqueKey createKey(HKEY root, std::string_view path) {
  UniqueKey key;
  const LONG rc = RegCreateKeyExW(root, keyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_ALL_ACCESS, nullptr, key.put(), nullptr);
  if (rc != ERROR_SUCCESS) {
    key.release();
    fail("cannot create key", root, path, {}, rc);
  }
  return key;
}

void writeRaw(HKEY key, std::string_view name, DWORD type, const void* data, DWORD size) {
  const LONG rc = RegSetValueExW(key, widen(name).c_str(), 0, type, static_cast<const BYTE*>(data), size);
  if (rc != ERROR_SUCCESS) fail("cannot write value", key, {}, name, rc);
}

void writeText(HKEY key, std::string_view name, std::string_view text) {
  const std::wstring data = widen(text);
  writeRaw(key, name, REG_SZ, data.c_str(), static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

void writeNumber(HKEY key, std::string_view name, std::uint32_t value) {
  const DWORD v = value;
  writeRaw(key, name, REG_DWORD, &v, sizeof v);
}

namespace {
// Runs a writer on an open key and names the whole path when it fails.
template <typename Write>
void writeBelow(HKEY root, std::string_view path, std::string_view name, Write&& write) {
  try {
    const UniqueKey key = createKey(root, path);
    write(key.get());
  } catch (const RegistryError& e) {
    fail("cannot write value", root, path, name, e.code());
  }
}
}  // namespace

void writeRaw(HKEY root, std::string_view path, std::string_view name, DWORD type, const void* data, DWORD size) {
  writeBelow(root, path, name, [&](HKEY key) { writeRaw(key, name, type, data, size); });
}

void writeText(HKEY root, std::string_view path, std::string_view name, std::string_view text) {
  writeBelow(root, path, name, [&](HKEY key) { writeText(key, name, text); });
}

void writeNumber(HKEY root, std::string_view path, std::string_view name, std::uint32_t value) {
  writeBelow(root, path, name, [&](HKEY key) { writeNumber(key, name, value); });
}

void deleteValue(HKEY root, std::string_view path, std::string_view name) {
  const UniqueKey key = openKey(root, path);
  if (!key) return;
  const LONG rc = RegDeleteValueW(key.get(), widen(name).c_str());
  if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) fail("cannot delete value", root, path, name, rc);
}

namespace {
LONG deleteTreeBelow(HKEY parent, const std::wstring& sub) {
  UniqueKey key;
  LONG rc = RegOpenKeyExW(parent, sub.c_str(), 0, KEY_ALL_ACCESS, key.put());
  if (rc == ERROR_FILE_NOT_FOUND) {
    key.release();
    return ERROR_SUCCESS;
  }
  if (rc != ERROR_SUCCESS) {
    key.release();
    return rc;
  }
  for (const std::string& child : subkeyNames(key.get())) {
    rc = deleteTreeBelow(key.get(), widen(child));
    if (rc != ERROR_SUCCESS) return rc;
  }
  key.reset();
  rc = RegDeleteKeyW(parent, sub.c_str());
  return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
}
}  // namespace

void deleteTree(HKEY root, std::string_view path) {
  const LONG rc = deleteTreeBelow(root, keyPath(path));
  if (rc != ERROR_SUCCESS) fail("cannot delete key", root, path, {}, rc);
}

}  // namespace qb::win::reg
