#pragma once
// Replacing a page's designed captions from the language file the user chose.
#include <functional>
#include <string>
#include <vector>

#include "qb/tk/control.h"

namespace qb::tk {
class ListView;
}

namespace qb::shell {

// One key of a page's language section and what its text sets. The text
// arrives as the system's ANSI code page renders it, in UTF-8.
struct LangKey {
  std::string key;
  std::function<void(const std::string& text)> set;
};

// A key that sets a control's caption.
LangKey captionKey(std::string key, qb::tk::Control& control);
// A key that sets the title of a list's column (0 is the first).
LangKey columnTitleKey(std::string key, qb::tk::ListView& list, int column);

// Reads HKEY_CURRENT_USER "\Software\Korvane\Qubrix" "lang", opens
// "languages\<lang>.xml" beside the host program and applies the section's
// keys in the given order. A file that is missing, unreadable or lacks the
// section changes nothing; a missing or empty key sets the empty text.
void LoadLangFile(const std::string& section, const std::vector<LangKey>& keys);

// The file LoadLangFile would read now.
std::wstring languageFilePath();

}  // namespace qb::shell
