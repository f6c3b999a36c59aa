#pragma once
// A report-style list view (SysListView32): columns, rows with sub-items,
// optional check boxes, single selection.
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <string>

#include "qb/tk/control.h"
#include "qb/win/handles.h"

namespace qb::tk {

// Owns an image list: destroys it exactly once.
struct ImageListTraits {
  using type = HIMAGELIST;
  static HIMAGELIST empty() { return nullptr; }
  static void close(HIMAGELIST h) { ImageList_Destroy(h); }
};
using UniqueImageList = qb::win::UniqueHandle<ImageListTraits>;

class ListView : public Control {
 public:
  struct Options {
    bool checkBoxes = false;
    bool gridLines = false;
    bool rowSelect = true;
    bool multiSelect = false;
  };
  ListView(Container& parent, std::string name, const Bounds& b, const Options& options);
  ListView(Container& parent, std::string name, const Bounds& b) : ListView(parent, std::move(name), b, Options{}) {}

  void addColumn(const std::string& title, int width);
  int columnCount() const;
  void setColumnTitle(int column, const std::string& title);
  std::string columnTitle(int column) const;

  // Appends a row and returns its index.
  int addItem(const std::string& caption);
  // Appends a row showing image `image` of the small image list.
  int addItem(const std::string& caption, int image);
  int itemImage(int row) const;
  // The 16x16 images rows show; the caller keeps the list alive and destroys it.
  void setSmallImages(HIMAGELIST images);
  void setSubItem(int row, int column, const std::string& text);  // column 1 is the first sub-item
  std::string itemText(int row, int column = 0) const;
  int count() const;
  void clear();
  void deleteItem(int row);

  bool checked(int row) const;
  void setChecked(int row, bool on);

  int selectedIndex() const;  // -1 when no row is selected
  void select(int row);

  // Suspends drawing while many rows change; calls nest.
  void beginUpdate();
  void endUpdate();

  // Called when a row becomes selected or unselected.
  std::function<void(ListView& sender, int row, bool selected)> onSelectItem;
  std::function<void(ListView& sender, int row)> onDoubleClick;

  LRESULT handleNotify(NMHDR* header) override;

 private:
  int updateDepth_ = 0;
};

}  // namespace qb::tk
