#pragma once
// The open-file dialog of the pages, with a seam: while a hook is set, it
// answers instead of the common dialog, so tests can pick a file.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace qb::tk {

struct OpenFileRequest {
  HWND owner = nullptr;
  // Pairs of caption and patterns separated by '|', as the designer writes
  // them: "Programy|*.exe|Wszystkie pliki|*.*".
  std::string filter;
  int filterIndex = 1;  // 1-based, the pair shown first
  std::string title;    // empty: the dialog's own
};

struct OpenFileChoice {
  std::string path;     // UTF-8, full path
  int filterIndex = 1;  // 1-based, the pair selected when the user chose
};

// Runs the dialog (or the hook). Empty when the user cancels or the dialog
// cannot be shown.
std::optional<OpenFileChoice> chooseFileToOpen(const OpenFileRequest& request);

// Returns the hook it replaces, so that hooks can nest.
using OpenFileHook = std::function<std::optional<OpenFileChoice>(const OpenFileRequest&)>;
OpenFileHook setOpenFileHook(OpenFileHook hook);

// The designer's dialog component: set the filter, run execute(), read the
// chosen file and the filter it was chosen through.
class OpenDialog {
 public:
  explicit OpenDialog(std::string filter = {}) : filter_(std::move(filter)) {}
  void setFilter(std::string filter) { filter_ = std::move(filter); }
  const std::string& filter() const { return filter_; }
  void setFilterIndex(int index) { filterIndex_ = index; }
  int filterIndex() const { return filterIndex_; }
  const std::string& fileName() const { return fileName_; }

  // True when a file was chosen; fileName and filterIndex then describe it.
  bool execute(HWND owner);

 private:
  std::string filter_;
  int filterIndex_ = 1;
  std::string fileName_;
};

}  // namespace qb::tk
