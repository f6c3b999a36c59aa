#pragma once
// A text buffer per thread and per export, kept in a Win32 TLS slot so that
// the library frees it when the thread ends or the library is unloaded.
#include <windows.h>

#include <string_view>

namespace qb::browserreg {

class ThreadText {
 public:
  // Copies the text into this thread's buffer; the pointer stays valid until
  // the next keep() on this thread. The empty text when memory runs out.
  const char* keep(std::string_view text);

  void attach();          // process attach: takes a TLS slot
  void releaseThread();   // thread detach: frees this thread's buffer
  void detach();          // process detach: frees this thread's buffer and the slot

 private:
  DWORD slot_ = TLS_OUT_OF_INDEXES;
};

ThreadText& windowTitleText();
ThreadText& startPageText();

}  // namespace qb::browserreg
