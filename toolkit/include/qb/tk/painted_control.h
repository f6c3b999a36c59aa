#pragma once
// Base of controls that draw themselves (gauges, graphs, pictures). The
// window procedure is written here once: drawing goes to an off-screen bitmap
// first so nothing flickers, and an exception from drawing or from a hook
// stops at the control and is reported.
#include <windows.h>

#include "qb/tk/control.h"

namespace qb::tk {

enum class MouseButton { Left, Right, Middle };

class PaintedControl : public Control {
 public:
  // Draws the control again soon (at the next WM_PAINT).
  void repaint();

  // The pointer shown over the control; null keeps the arrow.
  void setCursor(HCURSOR cursor) { cursor_ = cursor; }

  // Called when the left button is pressed and released over the control.
  Handler onClick;
  void click();

 protected:
  // style and exStyle add to WS_VISIBLE; a border such as WS_EX_CLIENTEDGE
  // leaves a smaller client area to paint.
  PaintedControl(Container& parent, std::string name, const Bounds& b, DWORD style = 0, DWORD exStyle = 0);

  // Draws the whole client area. dc already shows the face colour of buttons
  // (the colour of every toolkit container) and has the control's font
  // selected; whatever paint selects or sets in it needs no restoring.
  virtual void paint(HDC dc, const RECT& client) = 0;

  // Points are in client coordinates.
  virtual void mouseDown(MouseButton, POINT) {}
  virtual void mouseUp(MouseButton, POINT) {}
  virtual void mouseMove(POINT) {}

  // Any other message, seen before the toolkit's own handling; return true when handled.
  virtual bool handleMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

 private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  bool handleStandardMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);
  // Paints into target through an off-screen bitmap (straight into it when
  // the system has no bitmap to spare).
  void render(HDC target);
  void paintWithDefaults(HDC dc, const RECT& client);

  HCURSOR cursor_ = nullptr;
  HFONT font_ = nullptr;
  bool pressed_ = false;
};

}  // namespace qb::tk
