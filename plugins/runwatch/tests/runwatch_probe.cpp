// Shows the task manager in a process of its own and ticks it once, for runs
// where Wine is told to leave "psapi.dll" out. Prints what the tick showed.
#include <windows.h>

#include "qb/test/child_process.h"
#include "qb/test/page_bench.h"
#include "runwatch_page.h"

namespace {
// A line of output carries no carriage return: it is written as "\\r".
std::string oneLine(const std::string& text) {
  std::string out;
  for (char c : text) out += c == '\r' ? std::string("\\r") : std::string(1, c);
  return out;
}
}  // namespace

int main() {
  qb::test::PageBench<TDLLForm> bench("Task manager probe host");
  TDLLForm* page = bench.showPage();
  if (!page) return 1;
  page->Timer1.setEnabled(false);
  page->Timer1Timer();
  qb::test::printFinding("psapi_loads", static_cast<long>(LoadLibraryA("psapi.dll") != nullptr));
  qb::test::printFinding("rows", page->ListView3.count());
  qb::test::printFinding("boxes", static_cast<long>(bench.boxes.calls().size()));
  if (!bench.boxes.calls().empty()) {
    qb::test::printFinding("first_box", oneLine(bench.boxes.calls().front().text));
    qb::test::printFinding("last_box", oneLine(bench.boxes.calls().back().text));
  }
  qb::test::printFinding("memory_of_first_row", page->ListView3.itemText(0, 3));
  return 0;
}
