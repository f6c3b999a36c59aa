#include "qb/tk/listview.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "qb/tk/container.h"
#include "qb/win/text.h"

namespace qb::tk {

using qb::win::widen;

namespace {

int compareAsTheUserReads(const std::string& a, const std::string& b) {
  const std::wstring x = widen(a);
  const std::wstring y = widen(b);
  const int order = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, x.c_str(), static_cast<int>(x.size()),
                                   y.c_str(), static_cast<int>(y.size()));
  if (order == 0) return a.compare(b);
  return order - CSTR_EQUAL;
}

// While the list sorts, each row's value is its index from before the sort.
int CALLBACK compareRanks(LPARAM first, LPARAM second, LPARAM ranks) {
  const auto& rank = *reinterpret_cast<const std::vector<int>*>(ranks);
  return rank[static_cast<size_t>(first)] - rank[static_cast<size_t>(second)];
}

}  // namespace

ListView::ListView(Container& parent, std::string name, const Bounds& b, ListOption options)
    : Control(&parent, std::move(name)), sortOnHeaderClick_(includes(options, ListOption::SortOnHeaderClick)) {
  static const bool commonControlsReady = [] {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    return InitCommonControlsEx(&icc) != FALSE;
  }();
  (void)commonControlsReady;
  DWORD style = WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SHOWSELALWAYS;
  if (!includes(options, ListOption::MultiSelect)) style |= LVS_SINGLESEL;
  if (includes(options, ListOption::StaticHeaders)) style |= LVS_NOSORTHEADER;
  createWindow(WC_LISTVIEWW, style, WS_EX_CLIENTEDGE, b);
  DWORD ex = LVS_EX_LABELTIP;
  if (includes(options, ListOption::CheckBoxes)) ex |= LVS_EX_CHECKBOXES;
  if (includes(options, ListOption::GridLines)) ex |= LVS_EX_GRIDLINES;
  if (includes(options, ListOption::RowSelect)) ex |= LVS_EX_FULLROWSELECT;
  SendMessageW(hwnd(), LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
}

void ListView::addColumn(const std::string& title, int width, ColumnAlign align) {
  std::wstring text = widen(title);
  LVCOLUMNW col{};
  col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM | LVCF_FMT;
  col.fmt = align == ColumnAlign::Right ? LVCFMT_RIGHT : LVCFMT_LEFT;
  col.pszText = text.data();
  col.cx = width;
  col.iSubItem = columnCount();
  SendMessageW(hwnd(), LVM_INSERTCOLUMNW, col.iSubItem, reinterpret_cast<LPARAM>(&col));
}

int ListView::columnCount() const {
  HWND header = reinterpret_cast<HWND>(SendMessageW(hwnd(), LVM_GETHEADER, 0, 0));
  return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

ColumnAlign ListView::columnAlign(int column) const {
  LVCOLUMNW col{};
  col.mask = LVCF_FMT;
  SendMessageW(hwnd(), LVM_GETCOLUMNW, column, reinterpret_cast<LPARAM>(&col));
  return (col.fmt & LVCFMT_JUSTIFYMASK) == LVCFMT_RIGHT ? ColumnAlign::Right : ColumnAlign::Left;
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

int ListView::addItemWithData(const std::string& caption, std::intptr_t data, std::optional<int> image) {
  std::wstring text = widen(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT | LVIF_PARAM | (image ? LVIF_IMAGE : 0);
  item.iItem = count();
  item.pszText = text.data();
  item.lParam = data;
  item.iImage = image.value_or(0);
  return static_cast<int>(SendMessageW(hwnd(), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void ListView::setItemData(int row, std::intptr_t data) {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  item.lParam = data;
  SendMessageW(hwnd(), LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&item));
}

std::intptr_t ListView::itemData(int row) const {
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return 0;
  return item.lParam;
}

int ListView::findItemData(std::intptr_t data) const {
  LVFINDINFOW find{};
  find.flags = LVFI_PARAM;
  find.lParam = data;
  return static_cast<int>(
      SendMessageW(hwnd(), LVM_FINDITEMW, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

int ListView::itemImage(int row) const {
  LVITEMW item{};
  item.mask = LVIF_IMAGE;
  item.iItem = row;
  if (!SendMessageW(hwnd(), LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return -1;
  return item.iImage;
}

UniqueImageList singleIconImages(const wchar_t* systemIcon) {
  UniqueImageList images(ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0));
  if (!images) return images;
  // A shared icon: the image list keeps its own copy and the icon is never destroyed.
  if (auto icon = static_cast<HICON>(LoadImageW(nullptr, systemIcon, IMAGE_ICON, 16, 16, LR_SHARED)))
    ImageList_AddIcon(images.get(), icon);
  return images;
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

void ListView::select(int row, bool scrollIntoView) {
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  if (row < 0) {
    // No row: the control reads index -1 as every row, so clear them all.
    SendMessageW(hwnd(), LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&item));
    return;
  }
  item.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(hwnd(), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
  if (scrollIntoView) SendMessageW(hwnd(), LVM_ENSUREVISIBLE, row, FALSE);
}

int ListView::topIndex() const { return static_cast<int>(SendMessageW(hwnd(), LVM_GETTOPINDEX, 0, 0)); }

int ListView::rowHeight() const {
  RECT r{};
  r.left = LVIR_BOUNDS;
  if (count() == 0 || !SendMessageW(hwnd(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 0;
  return r.bottom - r.top;
}

void ListView::scrollBy(int pixels) { SendMessageW(hwnd(), LVM_SCROLL, 0, pixels); }

void ListView::beginUpdate() {
  if (updateDepth_++ == 0) SendMessageW(hwnd(), WM_SETREDRAW, FALSE, 0);
}

void ListView::endUpdate() {
  if (updateDepth_ > 0 && --updateDepth_ == 0) {
    SendMessageW(hwnd(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(hwnd(), nullptr, TRUE);
  }
}

void ListView::setColumnComparison(int column, TextComparison compare) {
  if (compare)
    comparisons_[column] = std::move(compare);
  else
    comparisons_.erase(column);
}

void ListView::sortByColumn(int column, bool ascending) {
  const auto rows = static_cast<size_t>(std::max(0, count()));
  std::vector<std::string> texts(rows);
  std::vector<std::intptr_t> data(rows);
  for (size_t row = 0; row < rows; ++row) {
    texts[row] = itemText(static_cast<int>(row), column);
    data[row] = itemData(static_cast<int>(row));
  }
  // The order is found here, before a row moves: a comparison that throws
  // leaves the list as it was, and no exception unwinds through the list's own code.
  const auto found = comparisons_.find(column);
  const TextComparison& compare = found != comparisons_.end() ? found->second : TextComparison(compareAsTheUserReads);
  std::vector<size_t> order(rows);
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const int c = compare(texts[a], texts[b]);
    return ascending ? c < 0 : c > 0;
  });
  std::vector<int> rank(rows);
  for (size_t place = 0; place < rows; ++place) rank[order[place]] = static_cast<int>(place);
  sortColumn_ = column;
  sortAscending_ = ascending;

  const UpdateScope update(*this);
  // LVM_SORTITEMS tells rows apart only by their values: each row holds its
  // index from before the sort there until it is in place, then gets its own back.
  for (size_t row = 0; row < rows; ++row) setItemData(static_cast<int>(row), static_cast<std::intptr_t>(row));
  SendMessageW(hwnd(), LVM_SORTITEMS, reinterpret_cast<WPARAM>(&rank), reinterpret_cast<LPARAM>(&compareRanks));
  for (size_t row = 0; row < rows; ++row) {
    const auto was = static_cast<size_t>(itemData(static_cast<int>(row)));
    if (was < rows) setItemData(static_cast<int>(row), data[was]);
  }
}

void ListView::resort() {
  if (sortColumn_ >= 0) sortByColumn(sortColumn_, sortAscending_);
}

LRESULT ListView::handleNotify(NMHDR* header) {
  // No one listens for single deletions: spare a notification per row when emptying.
  if (header->code == LVN_DELETEALLITEMS) return TRUE;
  if (header->code == LVN_ITEMCHANGED && onSelectItem) {
    auto* change = reinterpret_cast<NMLISTVIEW*>(header);
    if ((change->uChanged & LVIF_STATE) && ((change->uOldState ^ change->uNewState) & LVIS_SELECTED))
      onSelectItem(*this, change->iItem, (change->uNewState & LVIS_SELECTED) != 0);
  } else if (header->code == LVN_COLUMNCLICK && sortOnHeaderClick_) {
    const int column = reinterpret_cast<NMLISTVIEW*>(header)->iSubItem;
    sortByColumn(column, column == sortColumn_ ? !sortAscending_ : true);
  } else if (header->code == NM_DBLCLK && onDoubleClick) {
    auto* act = reinterpret_cast<NMITEMACTIVATE*>(header);
    if (act->iItem >= 0) onDoubleClick(*this, act->iItem);
  } else if ((header->code == NM_CLICK || header->code == NM_RETURN) && onClick) {
    onClick(*this);
  }
  return 0;
}

}  // namespace qb::tk
