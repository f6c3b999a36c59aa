#pragma once
// One loaded plug-in module and the exports the host binds by name.
#include <windows.h>

#include <string>

#include "qb/win/handles.h"

class PluginModule {
 public:
  // Loads the DLL; an empty module when it is not a plug-in (no ShowDLLWND).
  static PluginModule load(const std::wstring& path);

  explicit operator bool() const { return show_ != nullptr; }
  bool canApply() const { return save_ != nullptr; }
  bool canGoBack() const { return back_ != nullptr; }

  void show(int top, int left, const std::string& hostTitleAnsi) const;
  void resize(int width, int height) const;
  void apply() const;
  void back() const;

 private:
  using ShowFn = void(__stdcall*)(int, int, const char*);
  using ResizeFn = void(__stdcall*)(int, int);
  using VoidFn = void(__stdcall*)();
  qb::win::UniqueModule module_;
  ShowFn show_ = nullptr;
  ResizeFn resize_ = nullptr;
  VoidFn save_ = nullptr;
  VoidFn back_ = nullptr;
};
