#include "modscope_page.h"

#include <shellapi.h>

#include "factbase.h"
#include "qb/shell/language.h"
#include "qb/text.h"
#include "qb/win/handles.h"
#include "qb/win/text.h"
#include "version_resource.h"

namespace {

const char* const kExtensions[] = {"dll", "exe", "scr", "cpl", "bpl", "ax", "acm", "sys", "ocx"};

void openPropertiesWithShell(const std::wstring& path) {
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_INVOKEIDLIST;
  info.lpVerb = L"properties";
  info.lpFile = path.c_str();
  info.nShow = SW_SHOWNORMAL;
  ShellExecuteExW(&info);
}

qb::modscope::PropertiesCall propertiesCall = nullptr;

std::wstring folderFromFactbase(void(__stdcall* get)(unsigned char*)) {
  unsigned char counted[qb::kCountedTextBuffer] = {};
  get(counted);
  return qb::win::fromAnsi(qb::readCountedText(counted));
}

// The file's version resource as the system copies it out; empty when it has none.
std::vector<unsigned char> versionBlock(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return {};
  return block;
}

std::string versionCell(const std::vector<unsigned char>& block) {
  const auto version = qb::modscope::fileVersion(block.data(), block.size());
  return version ? qb::modscope::versionText(*version) : std::string();
}

// The description of the first translation named in the resource.
std::string descriptionCell(const std::vector<unsigned char>& block) {
  if (block.empty()) return {};
  const auto translation = qb::modscope::firstTranslation(block.data(), block.size());
  if (!translation) return {};
  const auto text = qb::modscope::queryText(block.data(), block.size(),
                                            qb::modscope::stringTablePath(*translation, u"FileDescription"));
  if (!text) return {};
  if (qb::modscope::sixteenBit(block.data(), block.size()))
    return qb::win::narrow(qb::win::fromAnsi(std::string(text->begin(), text->end())));
  return qb::win::narrow(std::wstring(text->begin(), text->end()));
}

qb::tk::Bounds linkRow(int index, int left, int top, int width, int height) {
  return {left, 64 + index * 44 + top, width, height};
}

}  // namespace

std::string& qb::modscope::chosenExtension() {
  static std::string extension;
  return extension;
}

qb::modscope::PropertiesCall qb::modscope::replacePropertiesCall(PropertiesCall call) {
  const PropertiesCall previous = propertiesCall ? propertiesCall : &openPropertiesWithShell;
  propertiesCall = call;
  return previous;
}

qb::modscope::IconPicture::IconPicture(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b,
                                       const wchar_t* systemIcon)
    : Control(&parent, std::move(name)) {
  createWindow(L"STATIC", WS_VISIBLE | SS_ICON | SS_REALSIZEIMAGE, 0, b);
  // A shared icon: the system keeps it, nothing is destroyed here.
  if (auto icon = static_cast<HICON>(LoadImageW(nullptr, systemIcon, IMAGE_ICON, 16, 16, LR_SHARED)))
    SendMessageW(hwnd(), STM_SETICON, reinterpret_cast<WPARAM>(icon), 0);
}

qb::modscope::Separator::Separator(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b)
    : Control(&parent, std::move(name)) {
  createWindow(L"STATIC", WS_VISIBLE | SS_ETCHEDHORZ, 0, b);
}

qb::shell::PluginPage* qb::shell::createPage() { return qb::tk::Form::create<TDLLForm>(); }

TDLLForm::TDLLForm()
    : PluginPage("TDLLForm", "TDLLForm", {0, 0, 600, 480}),
      PageControl1(*this, "PageControl1", {0, 0, 600, 480}),
      TS1(PageControl1, "TS1"),
      TS2(PageControl1, "TS2"),
      ScrollBox1(TS1, "ScrollBox1", {0, 0, 600, 480}),
      Label19(ScrollBox1, "Label19", {24, 16, 400, 28}, "Informacje o plikach"),
      Bevel1(ScrollBox1, "Bevel1", {24, 50, 540, 2}),
      Label10(ScrollBox1, "Label10", linkRow(0, 48, 0, 120, 16), "DLL", 1),
      Label11(ScrollBox1, "Label11", linkRow(1, 48, 0, 120, 16), "EXE", 2),
      Label12(ScrollBox1, "Label12", linkRow(2, 48, 0, 120, 16), "SCR", 3),
      Label13(ScrollBox1, "Label13", linkRow(3, 48, 0, 120, 16), "CPL", 4),
      Label14(ScrollBox1, "Label14", linkRow(4, 48, 0, 120, 16), "BPL", 5),
      Label15(ScrollBox1, "Label15", linkRow(5, 48, 0, 120, 16), "AX", 6),
      Label16(ScrollBox1, "Label16", linkRow(6, 48, 0, 120, 16), "ACM", 7),
      Label17(ScrollBox1, "Label17", linkRow(7, 48, 0, 120, 16), "SYS", 8),
      Label18(ScrollBox1, "Label18", linkRow(8, 48, 0, 120, 16), "OCX", 9),
      Image1(ScrollBox1, "Image1", linkRow(0, 24, 0, 16, 16), IDI_APPLICATION),
      Image2(ScrollBox1, "Image2", linkRow(1, 24, 0, 16, 16), IDI_APPLICATION),
      Image3(ScrollBox1, "Image3", linkRow(2, 24, 0, 16, 16), IDI_APPLICATION),
      Image4(ScrollBox1, "Image4", linkRow(3, 24, 0, 16, 16), IDI_APPLICATION),
      Image5(ScrollBox1, "Image5", linkRow(4, 24, 0, 16, 16), IDI_APPLICATION),
      Image6(ScrollBox1, "Image6", linkRow(5, 24, 0, 16, 16), IDI_APPLICATION),
      Image7(ScrollBox1, "Image7", linkRow(6, 24, 0, 16, 16), IDI_APPLICATION),
      Image8(ScrollBox1, "Image8", linkRow(7, 24, 0, 16, 16), IDI_APPLICATION),
      Image9(ScrollBox1, "Image9", linkRow(8, 24, 0, 16, 16), IDI_APPLICATION),
      Label1(ScrollBox1, "Label1", linkRow(0, 48, 18, 420, 16), "Wyświetla informacje o plikach DLL"),
      Label2(ScrollBox1, "Label2", linkRow(1, 48, 18, 420, 16), "Wyświetla informacje o plikach EXE"),
      Label3(ScrollBox1, "Label3", linkRow(2, 48, 18, 420, 16), "Wyświetla informacje o plikach SCR"),
      Label4(ScrollBox1, "Label4", linkRow(3, 48, 18, 420, 16), "Wyświetla informacje o plikach CPL"),
      Label5(ScrollBox1, "Label5", linkRow(4, 48, 18, 420, 16), "Wyświetla informacje o plikach BPL"),
      Label6(ScrollBox1, "Label6", linkRow(5, 48, 18, 420, 16), "Wyświetla informacje o plikach AX"),
      Label7(ScrollBox1, "Label7", linkRow(6, 48, 18, 420, 16), "Wyświetla informacje o plikach ACM"),
      Label8(ScrollBox1, "Label8", linkRow(7, 48, 18, 420, 16), "Wyświetla informacje o plikach SYS"),
      Label9(ScrollBox1, "Label9", linkRow(8, 48, 18, 420, 16), "Wyświetla informacje o plikach OCX"),
      DLLList(TS2, "DLLList", {0, 0, 600, 480}, qb::tk::ListOption::RowSelect),
      rowImages_(qb::tk::singleIconImages(IDI_APPLICATION)) {
  PageControl1.setAlign(qb::tk::Align::Client);
  ScrollBox1.setAlign(qb::tk::Align::Client);
  DLLList.setAlign(qb::tk::Align::Client);
  Label19.setEmphasis(true, 14, RGB(73, 163, 205));
  for (qb::tk::LinkLabel* link : {&Label10, &Label11, &Label12, &Label13, &Label14, &Label15, &Label16, &Label17,
                                  &Label18}) {
    link->setEmphasis(true, RGB(73, 163, 205));
    link->onClick = [this](qb::tk::Control& s) { Label10Click(s); };
  }
  DLLList.addColumn("Nazwa", 130);
  DLLList.addColumn("Wersja", 100);
  DLLList.addColumn("Opis", 200);
  DLLList.addColumn("Folder", 150);
  DLLList.setSmallImages(rowImages_.get());
  DLLList.onDoubleClick = [this](qb::tk::ListView&, int) { DLLListDblClick(); };
  PageControl1.setActivePage(TS1);
}

void TDLLForm::FormShow() {
  qb::shell::LoadLangFile("sfm", {
      qb::shell::captionKey("x1", Label1),
      qb::shell::captionKey("x2", Label2),
      qb::shell::captionKey("x3", Label3),
      qb::shell::captionKey("x4", Label4),
      qb::shell::captionKey("x5", Label5),
      qb::shell::captionKey("x6", Label6),
      qb::shell::captionKey("x7", Label7),
      qb::shell::captionKey("x8", Label8),
      qb::shell::captionKey("x9", Label9),
      qb::shell::captionKey("x10", Label19),
      qb::shell::columnTitleKey("x11", DLLList, 0),
      qb::shell::columnTitleKey("x12", DLLList, 1),
      qb::shell::columnTitleKey("x13", DLLList, 2),
      qb::shell::columnTitleKey("x14", DLLList, 3),
  });
  PageControl1.setActivePage(TS1);
}

void TDLLForm::Back() { PageControl1.setActivePage(TS1); }

void TDLLForm::Label10Click(qb::tk::Control& sender) {
  if (sender.tag >= 1 && sender.tag <= 9) qb::modscope::chosenExtension() = kExtensions[sender.tag - 1];
  ListFiles();
}

void TDLLForm::ListFiles() {
  PageControl1.setActivePage(TS2);
  DLLList.clear();
  files_.clear();
  ListFolder(folderFromFactbase(&GetWindowsFolder));
  ListFolder(folderFromFactbase(&GetSystemFolder));
}

void TDLLForm::ListFolder(const std::wstring& folder) {
  const qb::tk::ListView::UpdateScope update(DLLList);
  const std::wstring pattern = folder + L"\\*." + qb::win::widen(qb::modscope::chosenExtension());
  WIN32_FIND_DATAW found{};
  const qb::win::UniqueFind search(FindFirstFileW(pattern.c_str(), &found));
  if (!search) return;
  const std::string folderCell = qb::win::narrow(folder);
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    // The display name is what the user sees; the file is read, and its
    // properties opened, by its own name, which the display may shorten.
    const std::wstring path = folder + L"\\" + found.cFileName;
    SHFILEINFOW info{};
    const bool named = SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME) != 0;
    const std::vector<unsigned char> block = versionBlock(path);
    const int row = DLLList.addItem(qb::win::narrow(named ? info.szDisplayName : found.cFileName), 0);
    DLLList.setSubItem(row, 1, versionCell(block));
    DLLList.setSubItem(row, 2, descriptionCell(block));
    DLLList.setSubItem(row, 3, folderCell);
    files_.push_back({folder, found.cFileName});
  } while (FindNextFileW(search.get(), &found));
}

void TDLLForm::DLLListDblClick() {
  const int row = DLLList.selectedIndex();
  if (row < 0 || static_cast<size_t>(row) >= files_.size()) return;
  const ListedFile& file = files_[static_cast<size_t>(row)];
  (propertiesCall ? propertiesCall : &openPropertiesWithShell)(file.folder + L"\\" + file.name);
}
