#pragma once
// A report-style list view (SysListView32): columns, rows with sub-items and
// a value of the page's own each, optional check boxes, sorting by column.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>

#include "qb/tk/control.h"
#include "qb/tk/flags.h"
#include "qb/win/handles.h"

namespace qb::tk {

// Owns an image list: destroys it exactly once.
struct ImageListTraits {
  using type = HIMAGELIST;
  static HIMAGELIST empty() { return nullptr; }
  static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = qb::win::UniqueHandle<ImageListTraits>;

// A 16x16 image list holding one of the system's shared icons (IDI_...), for
// lists whose rows all show the same image.
UniqueImageList singleIconImages(const wchar_t* systemIcon);

enum class ListOption : unsigned {
  None = 0,
  CheckBoxes = 1u << 0,
  GridLines = 1u << 1,
  RowSelect = 1u << 2,  // a click anywhere on a row selects the whole row
  MultiSelect = 1u << 3,
  // A click on a column's header sorts the rows by that column; a second click reverses them.
  SortOnHeaderClick = 1u << 4,
  // Column headers are not buttons: clicking them does nothing.
  StaticHeaders = 1u << 5,
};
template <>
struct CombinableFlags<ListOption> : std::true_type {};

// Where a column's cells and title sit. The first column is always left-aligned.
enum class ColumnAlign { Left, Right };

class ListView : public Control {
 public:
  ListView(Container& parent, std::string name, const Bounds& b, ListOption options = ListOption::RowSelect);

  void addColumn(const std::string& title, int width, ColumnAlign align = ColumnAlign::Left);
  int columnCount() const;
  ColumnAlign columnAlign(int column) const;
  void setColumnTitle(int column, const std::string& title);
  std::string columnTitle(int column) const;

  // Appends a row and returns its index.
  int addItem(const std::string& caption);
  // Appends a row showing image `image` of the small image list.
  int addItem(const std::string& caption, int image);
  // Appends a row carrying `data` (see itemData), with an image or without.
  int addItemWithData(const std::string& caption, std::intptr_t data, std::optional<int> image = std::nullopt);
  int itemImage(int row) const;
  // The 16x16 images rows show; the caller keeps the list alive and destroys it.
  void setSmallImages(HIMAGELIST images);
  void setSubItem(int row, int column, const std::string& text);  // column 1 is the first sub-item
  std::string itemText(int row, int column = 0) const;
  int count() const;
  void clear();
  void deleteItem(int row);

  // A value of the page's own kept with each row, such as an index into the
  // page's own vector: it stays with its row when rows are sorted, so actions
  // keyed on it act on the row the user sees. Rows given none carry 0.
  void setItemData(int row, std::intptr_t data);
  std::intptr_t itemData(int row) const;
  // The first row carrying `data`, or -1.
  int findItemData(std::intptr_t data) const;

  bool checked(int row) const;
  void setChecked(int row, bool on);

  int selectedIndex() const;  // -1 when no row is selected
  // Selects and focuses a row, scrolled into view unless told otherwise.
  void select(int row, bool scrollIntoView = true);  // -1 clears the selection

  // The first row in view, and the height of one row in pixels (0 with no rows).
  int topIndex() const;
  int rowHeight() const;
  // Scrolls the rows by that many pixels (down for positive).
  void scrollBy(int pixels);

  // Suspends drawing while many rows change; calls nest.
  void beginUpdate();
  void endUpdate();

  // Drawing stays suspended for the scope's lifetime, however it is left.
  class UpdateScope {
   public:
    explicit UpdateScope(ListView& list) : list_(list) { list_.beginUpdate(); }
    UpdateScope(const UpdateScope&) = delete;
    UpdateScope& operator=(const UpdateScope&) = delete;
    ~UpdateScope() { list_.endUpdate(); }

   private:
    ListView& list_;
  };

  // Compares two cell texts: less than, equal to or greater than zero.
  using TextComparison = std::function<int(const std::string& a, const std::string& b)>;
  // How the cells of one column order (qb::compareNumbers for numbers, say).
  // Columns without one order by text as the user's locale does, case ignored.
  void setColumnComparison(int column, TextComparison compare);
  // Sorts the rows by a column; rows whose cells compare equal keep their
  // order. Checks, selection and row data travel with their rows.
  void sortByColumn(int column, bool ascending = true);
  // Sorts again as last sorted, for rows added or changed since; nothing when never sorted.
  void resort();
  int sortColumn() const { return sortColumn_; }  // -1 until sorted
  bool sortAscending() const { return sortAscending_; }

  // Called when a row becomes selected or unselected.
  std::function<void(ListView& sender, int row, bool selected)> onSelectItem;
  std::function<void(ListView& sender, int row)> onDoubleClick;
  // A click on the list (on a row or not), or Enter pressed in it.
  std::function<void(ListView& sender)> onClick;

  LRESULT handleNotify(NMHDR* header) override;

 private:
  int updateDepth_ = 0;
  bool sortOnHeaderClick_ = false;
  std::map<int, TextComparison> comparisons_;
  int sortColumn_ = -1;
  bool sortAscending_ = true;
};

}  // namespace qb::tk
