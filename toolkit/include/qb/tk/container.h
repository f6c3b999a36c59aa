#pragma once
// Windows that hold other controls: forms, scroll boxes, group boxes, panels
// and tab sheets. A container routes its children's notifications to their
// control objects and lays out the children that follow its size.
#include <optional>
#include <vector>

#include "qb/tk/control.h"
#include "qb/win/handles.h"

namespace qb::tk {

class Container : public Control {
 public:
  const std::vector<Control*>& children() const { return children_; }

  // Lays out children aligned to this container's client area, and moves the anchored ones.
  void realign();

 protected:
  Container(Container* parent, std::string name);
  // While deferred, realign does nothing: the container is still being put in place.
  void deferLayout(bool on) { layoutDeferred_ = on; }
  // Anchored children measure their distances again, from where they are now.
  void measureAnchorsAgain();
  // Creates the container window of the toolkit's own class.
  void createContainer(DWORD style, DWORD exStyle, const Bounds& b, const wchar_t* windowClass = nullptr);

  // The container's own messages; return true when handled.
  virtual bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // The container's window has been destroyed by someone else.
  virtual void windowDestroyed() {}

  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

 private:
  friend class Control;
  void add(Control* c) { children_.push_back(c); }
  void remove(Control* c);
  std::vector<Control*> children_;
  bool layoutDeferred_ = false;
};

// A plain borderless container.
class Panel : public Container {
 public:
  Panel(Container& parent, std::string name, const Bounds& b);
};

// A container with scroll bars that appear when its children reach past its edges.
class ScrollBox : public Container {
 public:
  ScrollBox(Container& parent, std::string name, const Bounds& b, bool border = false);
  void updateScrollRange();

 protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  void scroll(int bar, WORD request);
  int offsetX_ = 0;
  int offsetY_ = 0;
};

// A captioned frame around its children.
class GroupBox : public Container {
 public:
  GroupBox(Container& parent, std::string name, const Bounds& b, const std::string& caption);
  void setBoldCaption(bool on);
  bool boldCaption() const { return static_cast<bool>(captionFont_); }
  // The caption in a colour of its own; nullopt gives it the system's text colour back.
  void setCaptionColor(std::optional<COLORREF> color);
  std::optional<COLORREF> captionColor() const { return captionColor_; }

 protected:
  bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

 private:
  qb::win::UniqueGdiObject captionFont_;
  std::optional<COLORREF> captionColor_;
};

}  // namespace qb::tk
