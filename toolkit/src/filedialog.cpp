#include "qb/tk/filedialog.h"

#include <commdlg.h>

#include <utility>
#include <vector>

#include "qb/win/text.h"

namespace qb::tk {
namespace {

OpenFileHook& hook() {
  static OpenFileHook h;
  return h;
}

// The common dialog wants the pairs separated by NULs and ended by two.
std::wstring commonDialogFilter(const std::string& filter) {
  std::wstring out = qb::win::widen(filter);
  for (auto& c : out)
    if (c == L'|') c = L'\0';
  out.push_back(L'\0');
  out.push_back(L'\0');
  return out;
}

}  // namespace

std::optional<OpenFileChoice> chooseFileToOpen(const OpenFileRequest& request) {
  if (hook()) return hook()(request);

  const std::wstring filter = commonDialogFilter(request.filter);
  const std::wstring title = qb::win::widen(request.title);
  // Room for any path the system can name, not just MAX_PATH.
  std::vector<wchar_t> file(32768, L'\0');

  OPENFILENAMEW ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = request.owner;
  ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
  ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex > 0 ? request.filterIndex : 1);
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrTitle = title.empty() ? nullptr : title.c_str();
  ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (!GetOpenFileNameW(&ofn)) return std::nullopt;
  return OpenFileChoice{qb::win::narrow(file.data()), static_cast<int>(ofn.nFilterIndex)};
}

OpenFileHook setOpenFileHook(OpenFileHook h) { return std::exchange(hook(), std::move(h)); }

bool OpenDialog::execute(HWND owner) {
  auto choice = chooseFileToOpen(OpenFileRequest{owner, filter_, filterIndex_, {}});
  if (!choice) return false;
  fileName_ = std::move(choice->path);
  filterIndex_ = choice->filterIndex;
  return true;
}

}  // namespace qb::tk
