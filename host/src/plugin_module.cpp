#include "plugin_module.h"

namespace {
template <typename F>
F bind(HMODULE m, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}
}  // namespace

PluginModule PluginModule::load(const std::wstring& path) {
  PluginModule p;
  p.module_.reset(LoadLibraryW(path.c_str()));
  if (!p.module_) return p;
  p.show_ = bind<ShowFn>(p.module_.get(), "ShowDLLWND");
  if (!p.show_) {
    p.module_.reset();
    return p;
  }
  p.resize_ = bind<ResizeFn>(p.module_.get(), "ResizeDLLWND");
  p.save_ = bind<VoidFn>(p.module_.get(), "DLLSave");
  p.back_ = bind<VoidFn>(p.module_.get(), "Back");
  return p;
}

void PluginModule::show(int top, int left, const std::string& hostTitleAnsi) const {
  if (show_) show_(top, left, hostTitleAnsi.c_str());
}
void PluginModule::resize(int width, int height) const {
  if (resize_) resize_(width, height);
}
void PluginModule::apply() const {
  if (save_) save_();
}
void PluginModule::back() const {
  if (back_) back_();
}
