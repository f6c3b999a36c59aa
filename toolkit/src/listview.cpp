#include "qb/tk/listview.h"

#include "qb/tk/container.h"
#include "qb/win/text.h"

namespace qb::tk {

using qb::win::widen;

ListView::ListView(Container& parent, std::string name, const Bounds& b, const Options& options)
    : Control(&parent, std::move(name)) {
  static const bool commonControlsReady = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControlsReady;
  DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (!options.multiSelect) style |= LVS_SINGLESEL;
  createWindow(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE, b);
  DWORD ex = LVS_EX_LABELTIP;
  if (options.checkBoxes) ex |= LVS_EX_CHECKBOXES;
  if (options.gridLines) ex |= LVS_EX_GRIDLINES;
  if (options.rowSelect) ex |= LVS_EX_FULLROWSELECT;
  SendMessageW(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
}

void ListView::addColumn(const std::string& title, int width) {
  std::wstring text = widen(title);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
  col.pszText = text.data();
  col.cx = width;
  col.iSubItem = columnCount();
  SendMessageW(hwnd(), LVM_INSERTCOLUMNW, col.iSubItem, reinterpret_cast<LPARAM>(&col));
}

int ListView::columnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

void ListView::setColumnTitle(int column, const std::string& title) {
  std::wstring text = widen(title);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = text.data();
  SendMessageW(hwnd(), LVM_SETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
}

std::string ListView::columnTitle(int column) const {
  wchar_t buf[512] = {};
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT;
  col.pszText = buf;
  col.cchTextMax = 512;
  SendMessageW(hwnd(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
  return qb::win::narrow(col.pszText ? col.pszText : L"");
}

int ListView::addItem(const std::string& caption) {
  std::wstring text = widen(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = count();
  item.pszText = text.data();
  return static_cast<int>(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int ListView::addItem(const std::string& caption, int image) {
  std::wstring text = widen(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_IMAGE;
  item.iItem = count();
  item.pszText = text.data();
  item.iImage = image;
  return static_cast<int>(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

int ListView::itemImage(int row) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  if (!SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

void ListView::setSmallImages(HIMAGELIST images) {
  // The control must not destroy a list that its owner keeps.
  const auto style = GetWindowLongW(hwnd(), GWL_STYLE);
  SetWindowLongW(hwnd(), GWL_STYLE, style | LVS_SHAREIMAGELISTS);
  SendMessageW(hwnd(), LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images));
}

void ListView::setSubItem(int row, int column, const std::string& text) {
  std::wstring w = widen(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = w.data();
  SendMessageW(hwnd(), LVM_SETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
}

std::string ListView::itemText(int row, int column) const {
  std::wstring buf(256, L'\0');
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = buf.data();
    item.cchTextMax = static_cast<int>(buf.size());
    const auto n = static_cast<size_t>(SendMessageW(hwnd(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item)));
    if (n + 1 < buf.size()) {
      buf.resize(n);
      return qb::win::narrow(buf);
    }
    buf.resize(buf.size() * 4);
  }
}

int ListView::count() const { return static_cast<int>(SendMessageW(hwnd(), LVM_GETITEMCOUNT, 0, 0)); }
void ListView::clear() { SendMessageW(hwnd(), LVM_DELETEALLITEMS, 0, 0); }
void ListView::deleteItem(int row) { SendMessageW(hwnd(), LVM_DELETEITEM, row, 0); }

bool ListView::checked(int row) const {
  const auto state = static_cast<UINT>(SendMessageW(hwnd(), LVM_GETITEMSTATE, row, LVIS_STATEIMAGEMASK));
  return (state >> 12) == 2;
}

void ListView::setChecked(int row, bool on) {
  LVITEMW item{};
  item.stateMask = LVIS_STATEIMAGEMASK;
  item.state = INDEXTOSTATEIMAGEMASK(on ? 2 : 1);
  SendMessageW(hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

int ListView::selectedIndex() const {
  return static_cast<int>(SendMessageW(hwnd(), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

void ListView::select(int row) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  SendMessageW(hwnd(), LVM_ENSUREVISIBLE, row, FALSE);
}

void ListView::beginUpdate() {
  if (updateDepth_++ == 0) SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
}

void ListView::endUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
}

LRESULT ListView::handleNotify(NMHDR* header) {
  // No one listens for single deletions: spare a notification per row when emptying.
  if (header->code == LVN_DELETEALLITEMS) return TRUE;
  if (header->code == LVN_ITEMCHANGED && onSelectItem) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
      onSelectItem(*this, change->iItem, (change->uNewState & LVIS_SELECTED) != 0);
  } else if (header->code == NM_DBLCLK && onDoubleClick) {
    auto* act = reinterpret_cast<NMITEMACTIVATE*>(header);
    if (act->iItem >= 0) onDoubleClick(*this, act->iItem);
  }
  return 0;
}

}  // namespace qb::tk
