#pragma once
// A page control whose tab headers are hidden: each sheet is a screen of a
// multi-screen page and only the active one is visible.
#include <vector>

#include "qb/tk/container.h"

namespace qb::tk {

class PageControl;

class TabSheet : public Container {
 public:
  TabSheet(PageControl& owner, std::string name);
};

class PageControl : public Container {
 public:
  PageControl(Container& parent, std::string name, const Bounds& b);
  const std::vector<TabSheet*>& sheets() const { return sheets_; }
  TabSheet* activePage() const { return active_; }
  void setActivePage(TabSheet& sheet);

 protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  friend class TabSheet;
  std::vector<TabSheet*> sheets_;
  TabSheet* active_ = nullptr;
};

}  // namespace qb::tk
