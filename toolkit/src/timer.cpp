#include "qb/tk/timer.h"

#include <exception>
#include <map>

#include "qb/tk/msgbox.h"

namespace qb::tk {
namespace {
std::map<UINT_PTR, Timer*>& timers() {
  static std::map<UINT_PTR, Timer*> m;
  return m;
}
}  // namespace

Timer::Timer(UINT intervalMs) : interval_(intervalMs) {}

Timer::~Timer() { setEnabled(false); }

void Timer::setInterval(UINT ms) {
  interval_ = ms;
  if (enabled()) {
    setEnabled(false);
    setEnabled(true);
  }
}

void Timer::setEnabled(bool on) {
  if (on && !id_) {
    id_ = SetTimer(nullptr, 0, interval_, tick);
    if (id_) timers()[id_] = this;
  } else if (!on && id_) {
    KillTimer(nullptr, id_);
    timers().erase(id_);
    id_ = 0;
  }
}

void CALLBACK Timer::tick(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = timers().find(id);
  if (it == timers().end() || !it->second->onTimer) return;
  try {
    it->second->onTimer(*it->second);
  } catch (...) {
    reportCurrentException(nullptr);
  }
}

}  // namespace qb::tk
