#include "thread_text.h"

#include <cstring>

namespace qb::browserreg {
namespace {

// A buffer is its capacity followed by the characters.
struct Buffer {
  std::size_t capacity;
  char text[1];
};

Buffer* allocate(std::size_t capacity) {
  auto* b = static_cast<Buffer*>(HeapAlloc(GetProcessHeap(), 0, offsetof(Buffer, text) + capacity));
  if (b) b->capacity = capacity;
  return b;
}

}  // namespace

const char* ThreadText::keep(std::string_view text) {
  if (slot_ == TLS_OUT_OF_INDEXES) return "";
  auto* buffer = static_cast<Buffer*>(TlsGetValue(slot_));
  if (!buffer || buffer->capacity < text.size() + 1) {
    Buffer* bigger = allocate(text.size() + 1 < 256 ? 256 : text.size() + 1);
    if (!bigger) return "";
    if (buffer) HeapFree(GetProcessHeap(), 0, buffer);
    buffer = bigger;
    TlsSetValue(slot_, buffer);
  }
  std::memcpy(buffer->text, text.data(), text.size());
  buffer->text[text.size()] = '\0';
  return buffer->text;
}

void ThreadText::attach() { slot_ = TlsAlloc(); }

void ThreadText::releaseThread() {
  if (slot_ == TLS_OUT_OF_INDEXES) return;
  if (void* buffer = TlsGetValue(slot_)) HeapFree(GetProcessHeap(), 0, buffer);
  TlsSetValue(slot_, nullptr);
}

void ThreadText::detach() {
  releaseThread();
  if (slot_ != TLS_OUT_OF_INDEXES) TlsFree(slot_);
  slot_ = TLS_OUT_OF_INDEXES;
}

ThreadText& windowTitleText() {
  static ThreadText t;
  return t;
}

ThreadText& startPageText() {
  static ThreadText t;
  return t;
}

}  // namespace qb::browserreg
