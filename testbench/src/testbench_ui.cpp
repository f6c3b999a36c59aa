#include "qb/test/testbench_ui.h"

#include <windows.h>

#include <fstream>

#include "qb/test/testbench.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"

namespace qb::test {

MessageBoxRecorder::MessageBoxRecorder(int answer) {
  outer_ = qb::tk::setMessageBoxHook([this, answer](const qb::tk::MessageBoxCall& call) {
    calls_.push_back(call);
    return answer;
  });
}

MessageBoxRecorder::~MessageBoxRecorder() { qb::tk::setMessageBoxHook(std::move(outer_)); }

std::string MessageBoxRecorder::texts() const {
  std::string out;
  for (const auto& call : calls_) out += call.text + "\n";
  return out;
}

OpenFileAnswer::OpenFileAnswer(std::optional<qb::tk::OpenFileChoice> choice) : choice_(std::move(choice)) {
  outer_ = qb::tk::setOpenFileHook([this](const qb::tk::OpenFileRequest& request) {
    requests_.push_back(request);
    return choice_;
  });
}

OpenFileAnswer::~OpenFileAnswer() { qb::tk::setOpenFileHook(std::move(outer_)); }

LanguageFile::LanguageFile(const std::string& language, const std::string& utf8Content) {
  const std::wstring folder = programFolder() + L"\\languages";
  CreateDirectoryW(folder.c_str(), nullptr);
  path_ = folder + L"\\" + qb::win::widen(language) + L".xml";
  std::ofstream out(path_.c_str(), std::ios::binary);
  out << utf8Content;
  out.close();
  qb::win::reg::writeText(HKEY_CURRENT_USER, "\\Software\\Korvane\\Qubrix", "lang", language);
}

LanguageFile::~LanguageFile() { DeleteFileW(path_.c_str()); }

}  // namespace qb::test
