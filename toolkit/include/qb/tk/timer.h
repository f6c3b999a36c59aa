#pragma once
// A timer that calls its handler on the thread's message loop.
#include <windows.h>

#include <functional>

namespace qb::tk {

class Timer {
 public:
  explicit Timer(UINT intervalMs = 1000);
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;
  ~Timer();

  void setInterval(UINT ms);
  UINT interval() const { return interval_; }
  void setEnabled(bool on);
  bool enabled() const { return id_ != 0; }

  std::function<void(Timer&)> onTimer;

 private:
  static void CALLBACK tick(HWND, UINT, UINT_PTR id, DWORD);
  UINT interval_;
  UINT_PTR id_ = 0;
};

}  // namespace qb::tk
