#pragma once
// One small owner per kind of Windows handle: each closes its handle exactly once.
#include <windows.h>
#include <winsvc.h>
#include <objbase.h>

#include <utility>

namespace qb::win {

template <typename Traits>
class UniqueHandle {
 public:
  using handle_type = typename Traits::type;
  UniqueHandle() = default;
  explicit UniqueHandle(handle_type h) : h_(h) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::empty())) {}
  UniqueHandle& operator=(UniqueHandle&& o) noexcept {
    if (this != &o) reset(std::exchange(o.h_, Traits::empty()));
    return *this;
  }
  ~UniqueHandle() { reset(); }

  handle_type get() const { return h_; }
  explicit operator bool() const { return h_ != Traits::empty(); }
  handle_type release() { return std::exchange(h_, Traits::empty()); }
  void reset(handle_type h = Traits::empty()) {
    if (h_ != Traits::empty()) Traits::close(h_);
    h_ = h;
  }
  // For out-parameters: drops the current handle and exposes the slot.
  handle_type* put() {
    reset();
    return &h_;
  }

 private:
  handle_type h_ = Traits::empty();
};

struct KeyTraits {
  using type = HKEY;
  static HKEY empty() { return nullptr; }
  static void close(HKEY h) { RegCloseKey(h); }
};
// Kernel objects whose "no handle" value is zero (processes, threads, events, snapshots of tool help use -1).
struct KernelTraits {
  using type = HANDLE;
  static HANDLE empty() { return nullptr; }
  static void close(HANDLE h) { CloseHandle(h); }
};
// Files, devices and tool-help snapshots: "no handle" is INVALID_HANDLE_VALUE.
struct FileTraits {
  using type = HANDLE;
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { CloseHandle(h); }
};
struct ModuleTraits {
  using type = HMODULE;
  static HMODULE empty() { return nullptr; }
  static void close(HMODULE h) { FreeLibrary(h); }
};
struct ServiceTraits {
  using type = SC_HANDLE;
  static SC_HANDLE empty() { return nullptr; }
  static void close(SC_HANDLE h) { CloseServiceHandle(h); }
};
struct FindTraits {
  using type = HANDLE;
  static HANDLE empty() { return INVALID_HANDLE_VALUE; }
  static void close(HANDLE h) { FindClose(h); }
};
struct GdiTraits {
  using type = HGDIOBJ;
  static HGDIOBJ empty() { return nullptr; }
  static void close(HGDIOBJ h) { DeleteObject(h); }
};

// Device contexts made by CreateCompatibleDC or CreateDC (GetDC's are released instead: see gdi.h).
struct DcTraits {
  using type = HDC;
  static HDC empty() { return nullptr; }
  static void close(HDC h) { DeleteDC(h); }
};
// Memory the system hands over with LocalAlloc (FormatMessage's buffers, CommandLineToArgvW's array).
struct LocalTraits {
  using type = HLOCAL;
  static HLOCAL empty() { return nullptr; }
  static void close(HLOCAL h) { LocalFree(h); }
};
struct GlobalTraits {
  using type = HGLOBAL;
  static HGLOBAL empty() { return nullptr; }
  static void close(HGLOBAL h) { GlobalFree(h); }
};

using UniqueKey = UniqueHandle<KeyTraits>;
using UniqueKernelHandle = UniqueHandle<KernelTraits>;
using UniqueFileHandle = UniqueHandle<FileTraits>;
using UniqueModule = UniqueHandle<ModuleTraits>;
using UniqueServiceHandle = UniqueHandle<ServiceTraits>;
using UniqueFind = UniqueHandle<FindTraits>;
using UniqueGdiObject = UniqueHandle<GdiTraits>;
using UniqueDc = UniqueHandle<DcTraits>;
using UniqueLocal = UniqueHandle<LocalTraits>;
using UniqueGlobal = UniqueHandle<GlobalTraits>;

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& o) noexcept {
    if (this != &o) {
      reset();
      p_ = std::exchange(o.p_, nullptr);
    }
    return *this;
  }
  ~ComPtr() { reset(); }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** put() {
    reset();
    return &p_;
  }
  void** putVoid() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (p_) std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

// Balances a successful CoInitialize on this thread.
class ComApartment {
 public:
  ComApartment() : ok_(SUCCEEDED(CoInitialize(nullptr))) {}
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
  ~ComApartment() {
    if (ok_) CoUninitialize();
  }

 private:
  bool ok_;
};

}  // namespace qb::win
