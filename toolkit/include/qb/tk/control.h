#pragma once
// Base of every control of the page toolkit. Controls are real Win32 windows
// (BUTTON, EDIT, COMBOBOX, SysListView32 ...) created in code, so that tests,
// keyboard navigation and screen readers see ordinary controls.
#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "qb/tk/layout.h"

namespace qb::tk {

class Container;

class Control {
 public:
  using Handler = std::function<void(Control& sender)>;

  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  HWND hwnd() const { return hwnd_; }
  const std::string& name() const { return name_; }
  Container* parent() const { return parent_; }

  // The value a shared handler tells its senders apart by.
  int tag = 0;

  void setBounds(const Bounds& b);
  Bounds bounds() const;
  int left() const { return bounds().left; }
  int top() const { return bounds().top; }
  int width() const { return bounds().width; }
  int height() const { return bounds().height; }
  void setLeft(int v);
  void setTop(int v);
  void setWidth(int v);
  void setHeight(int v);

  void setAlign(Align a);
  Align align() const { return align_; }

  // The parent's edges this control keeps its distances to whenever the
  // parent is resized; left and top until set. The distances are taken now,
  // again each time the control is placed with setBounds (or setLeft ...),
  // and, for a form's own controls, once FormCreate has put the form in place.
  // An aligned control follows its alignment instead.
  void setAnchors(Anchor anchors);
  Anchor anchors() const { return anchors_; }

  // Captions and texts are UTF-8.
  virtual void setCaption(const std::string& text);
  virtual std::string caption() const;
  void setCaptionWide(const std::wstring& text);
  std::wstring captionWide() const;

  void setEnabled(bool on);
  bool enabled() const;
  void setVisible(bool on);
  bool visible() const;
  void setFocus();

  // The control object behind a window created by the toolkit, or null.
  static Control* fromHwnd(HWND hwnd);

  // Called by the parent container for the control's WM_COMMAND and WM_NOTIFY.
  virtual void handleCommand(WORD code);
  virtual LRESULT handleNotify(NMHDR* header);

 protected:
  Control(Container* parent, std::string name);
  // Creates the window; a control with a parent becomes its child.
  void createWindow(const wchar_t* windowClass, DWORD style, DWORD exStyle, const Bounds& b,
                    const std::wstring& text = {});
  // For windows created elsewhere (top-level forms create their own).
  void attach(HWND hwnd);
  void detach();

 private:
  friend class Container;
  void takeAnchorDistances();

  struct AnchorDistances {
    Bounds bounds;
    Size parentArea;
  };

  HWND hwnd_ = nullptr;
  Container* parent_ = nullptr;
  std::string name_;
  Align align_ = Align::None;
  Anchor anchors_ = kDefaultAnchors;
  // Taken only for anchors other than left and top: those leave the control where it is.
  std::optional<AnchorDistances> anchorDistances_;
};

// Calls a handler and keeps any exception from crossing the window procedure:
// it is reported in a message box instead.
void invokeHandler(const Control::Handler& handler, Control& sender);

}  // namespace qb::tk
