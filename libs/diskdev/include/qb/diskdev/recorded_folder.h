#pragma once
// For tests and benchmarks: a folder of recorded disks that QUBRIX_DISKS
// names for the object's lifetime. The folder and its files go away with it,
// and the variable gets its earlier value back.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qb/diskdev/snapshot.h"

namespace qb::diskdev {

class RecordedFolder {
 public:
  // A fresh folder `name` beside the running program.
  explicit RecordedFolder(const std::wstring& name);
  RecordedFolder(const RecordedFolder&) = delete;
  RecordedFolder& operator=(const RecordedFolder&) = delete;
  ~RecordedFolder();

  void write(const std::wstring& file, const std::vector<std::uint8_t>& bytes);
  void write(const std::wstring& file, const Snapshot& disk) { write(file, encodeSnapshot(disk)); }
  void remove(const std::wstring& file);
  const std::wstring& path() const { return path_; }

 private:
  void empty();
  std::wstring path_;
  std::optional<std::wstring> before_;
};

}  // namespace qb::diskdev
