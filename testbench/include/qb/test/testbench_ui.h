#pragma once
// Test helpers for pages and message boxes.
#include <optional>
#include <string>
#include <vector>

#include "qb/tk/filedialog.h"
#include "qb/tk/msgbox.h"

namespace qb::test {

// Answers every message box with `answer` and records it, for its lifetime.
// An inner recorder takes the boxes until it ends.
class MessageBoxRecorder {
 public:
  explicit MessageBoxRecorder(int answer = IDOK);
  MessageBoxRecorder(const MessageBoxRecorder&) = delete;
  MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;
  ~MessageBoxRecorder();
  const std::vector<qb::tk::MessageBoxCall>& calls() const { return calls_; }
  // The texts shown so far, one a line, for failure messages.
  std::string texts() const;

 private:
  std::vector<qb::tk::MessageBoxCall> calls_;
  qb::tk::MessageBoxHook outer_;
};

// Answers every open-file dialog with `choice` (empty: the user cancels) and
// records the requests, for its lifetime. Answers can be changed between
// dialogs with answer().
class OpenFileAnswer {
 public:
  explicit OpenFileAnswer(std::optional<qb::tk::OpenFileChoice> choice = std::nullopt);
  OpenFileAnswer(const OpenFileAnswer&) = delete;
  OpenFileAnswer& operator=(const OpenFileAnswer&) = delete;
  ~OpenFileAnswer();
  void answer(std::optional<qb::tk::OpenFileChoice> choice) { choice_ = std::move(choice); }
  const std::vector<qb::tk::OpenFileRequest>& requests() const { return requests_; }

 private:
  std::optional<qb::tk::OpenFileChoice> choice_;
  std::vector<qb::tk::OpenFileRequest> requests_;
  qb::tk::OpenFileHook outer_;
};

// Writes a language file beside the test program and points "lang" at it
// (under the current, scratch, HKEY_CURRENT_USER); removes the file again.
class LanguageFile {
 public:
  LanguageFile(const std::string& language, const std::string& utf8Content);
  LanguageFile(const LanguageFile&) = delete;
  LanguageFile& operator=(const LanguageFile&) = delete;
  ~LanguageFile();

 private:
  std::wstring path_;
};

}  // namespace qb::test
