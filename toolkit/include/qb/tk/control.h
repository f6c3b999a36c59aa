#pragma once
// Base of every control of the page toolkit. Controls are real Win32 windows
// (BUTTON, EDIT, COMBOBOX, SysListView32 ...) created in code, so that tests,
// keyboard navigation and screen readers see ordinary controls.
#include <windows.h>

#include <functional>
#include <string>

namespace qb::tk {

class Container;

struct Bounds {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

// How a control follows its parent's size.
enum class Align { None, Client, Top, Bottom };

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
  HWND hwnd_ = nullptr;
  Container* parent_ = nullptr;
  std::string name_;
  Align align_ = Align::None;
};

// Calls a handler and keeps any exception from crossing the window procedure:
// it is reported in a message box instead.
void invokeHandler(const Control::Handler& handler, Control& sender);

}  // namespace qb::tk
