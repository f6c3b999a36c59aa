#include "qb/tk/pagecontrol.h"

namespace qb::tk {

TabSheet::TabSheet(PageControl& owner, std::string name) : Container(&owner, std::move(name)) {
  RECT r{};
  GetClientRect(owner.hwnd(), &r);
  createContainer(0, 0, Bounds{0, 0, r.right, r.bottom});
  setAlign(Align::Client);
  owner.sheets_.push_back(this);
  if (!owner.active_) owner.setActivePage(*this);
}

PageControl::PageControl(Container& parent, std::string name, const Bounds& b)
    : Container(&parent, std::move(name)) {
  createContainer(WS_VISIBLE, 0, b);
}

void PageControl::setActivePage(TabSheet& sheet) {
  active_ = &sheet;
  for (TabSheet* s : sheets_)
    if (s != &sheet) s->setVisible(false);
  sheet.setVisible(true);
}

bool PageControl::handleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

}  // namespace qb::tk
