#include <gtest/gtest.h>

#include "qb/test/page_test.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <optional>
#include <set>
#include <vector>

#include "qb/test/child_process.h"
#include "qb/test/export_table.h"
#include "qb/test/testbench.h"
#include "qb/test/testbench_ui.h"
#include "qb/tk/pictures/bitmap.h"
#include "qb/tk/pictures/formats.h"
#include "qb/win/gdi.h"
#include "qb/win/registry.h"
#include "qb/win/text.h"
#include "qb/win/version.h"
#include "tga_file.h"
#include "wallface_page.h"

namespace reg = qb::win::reg;
namespace versions = qb::win::versions;
using qb::tk::OpenFileChoice;
using qb::tk::pictures::Bitmap;
using qb::tk::pictures::Picture;
using qb::wallface::tga::testing::TgaFile;
using qb::win::narrow;
using qb::win::widen;

namespace {

using Bytes = std::vector<std::uint8_t>;

const char kHostTitle[] = "Desktop test host";
const char kDesktop[] = "Control Panel\\Desktop";
const char kPolicies[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Policies\\Explorer";
const char kGeneralError[] = "Wystąpił nieoczekiwany błąd.\r";

std::string sample(const char* name) {
  return narrow(qb::test::programFolder() + L"\\tk_pictures_samples\\" + widen(name));
}

Bytes readBytes(const std::string& path) {
  std::ifstream in(widen(path).c_str(), std::ios::binary);
  return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool exists(const std::string& path) { return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES; }

// Files in the temporary folder, removed again when the test ends.
class ScratchFiles {
 public:
  ScratchFiles(const ScratchFiles&) = delete;
  ScratchFiles& operator=(const ScratchFiles&) = delete;
  ScratchFiles() {
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    folder_ = narrow(dir) + "qb_wallface\\";
    CreateDirectoryW(widen(folder_).c_str(), nullptr);
  }
  ~ScratchFiles() {
    for (const std::string& f : files_) DeleteFileW(widen(f).c_str());
    for (const std::string& d : dirs_) RemoveDirectoryW(widen(d).c_str());
    RemoveDirectoryW(widen(folder_).c_str());
  }
  std::string write(const std::string& name, const Bytes& bytes) {
    const std::string path = folder_ + name;
    std::ofstream(widen(path).c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    files_.push_back(path);
    return path;
  }
  std::string directory(const std::string& name) {
    const std::string path = folder_ + name;
    CreateDirectoryW(widen(path).c_str(), nullptr);
    dirs_.push_back(path);
    return path;
  }
  std::string path(const std::string& name) {
    files_.push_back(folder_ + name);
    return folder_ + name;
  }

 private:
  std::string folder_;
  std::vector<std::string> files_;
  std::vector<std::string> dirs_;
};

// The wallpaper the prefix has, put back when the test ends: Apply sets it for real.
std::string prefixWallpaper() {
  std::vector<wchar_t> buffer(MAX_PATH + 1, L'\0');
  SystemParametersInfoW(SPI_GETDESKWALLPAPER, static_cast<UINT>(buffer.size()), buffer.data(), 0);
  return narrow(buffer.data());
}
class PrefixWallpaper {
 public:
  PrefixWallpaper() : saved_(widen(prefixWallpaper())) {}
  ~PrefixWallpaper() { SystemParametersInfoW(SPI_SETDESKWALLPAPER, 0, saved_.data(), SPIF_UPDATEINIFILE); }
  PrefixWallpaper(const PrefixWallpaper&) = delete;
  PrefixWallpaper& operator=(const PrefixWallpaper&) = delete;

 private:
  std::wstring saved_;
};

// "Tapeta.BMP" in the prefix's Windows directory: absent while the test runs
// (or as the test makes it), as it was before once the test ends.
class ConvertedFile {
 public:
  ConvertedFile() : path_(convertedWallpaperPath()), wide_(widen(path_)) {
    if (exists(path_)) earlier_ = readBytes(path_);
    remove();
  }
  ~ConvertedFile() {
    remove();
    if (earlier_) {
      std::ofstream(wide_.c_str(), std::ios::binary)
          .write(reinterpret_cast<const char*>(earlier_->data()), static_cast<std::streamsize>(earlier_->size()));
    }
  }
  ConvertedFile(const ConvertedFile&) = delete;
  ConvertedFile& operator=(const ConvertedFile&) = delete;

  const std::string& path() const { return path_; }
  void remove() {
    SetFileAttributesW(wide_.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileW(wide_.c_str());
    RemoveDirectoryW(wide_.c_str());
  }

 private:
  std::string path_;
  std::wstring wide_;
  std::optional<Bytes> earlier_;
};

std::unique_ptr<Bitmap> decoded(const std::string& path) {
  Picture p;
  p.LoadFromFile(path);
  return p.ToBitmap();
}

int channelDifference(COLORREF a, COLORREF b) {
  return std::max({std::abs(GetRValue(a) - GetRValue(b)), std::abs(GetGValue(a) - GetGValue(b)),
                   std::abs(GetBValue(a) - GetBValue(b))});
}

// Empty when both bitmaps have the same size and the same 24-bit pixels.
std::string differences(const Bitmap& a, const Bitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height())
    return "size " + std::to_string(a.Width()) + "x" + std::to_string(a.Height()) + " against " +
           std::to_string(b.Width()) + "x" + std::to_string(b.Height());
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (a.PixelRgb(x, y) != b.PixelRgb(x, y))
        return "pixel " + std::to_string(x) + "," + std::to_string(y);
  return {};
}

// 3 x 2 pixels, top row red, green, blue, bottom row white, black, grey; stored from the top.
Bytes sixColourTarga() {
  TgaFile f;
  f.width = 3;
  f.height = 2;
  f.descriptor = 0x20;
  f.data = {0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255, 0, 0, 0, 128, 128, 128};
  return f.bytes();
}
const COLORREF kSixColours[2][3] = {{RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255)},
                                    {RGB(255, 255, 255), RGB(0, 0, 0), RGB(128, 128, 128)}};

// An enhanced metafile of 80 x 60 pixels: red, with its top-left quarter blue.
Bytes quarterMetafile() {
  const int w = 80, h = 60;
  const qb::win::WindowDc screen(nullptr);
  const RECT frame{0, 0, MulDiv(w, 2540, GetDeviceCaps(screen.get(), LOGPIXELSX)),
                   MulDiv(h, 2540, GetDeviceCaps(screen.get(), LOGPIXELSY))};
  HDC meta = CreateEnhMetaFileW(screen.get(), nullptr, &frame, nullptr);
  const RECT all{0, 0, w, h}, quarter{0, 0, w / 2, h / 2};
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0)), blue = CreateSolidBrush(RGB(0, 0, 255));
  FillRect(meta, &all, red);
  FillRect(meta, &quarter, blue);
  DeleteObject(red);
  DeleteObject(blue);
  HENHMETAFILE done = CloseEnhMetaFile(meta);
  Bytes bytes(GetEnhMetaFileBits(done, 0, nullptr));
  GetEnhMetaFileBits(done, static_cast<UINT>(bytes.size()), bytes.data());
  DeleteEnhMetaFile(done);
  return bytes;
}

// What the preview shows at a point, as its window draws itself.
COLORREF previewPixel(TDLLForm& page, int x, int y) {
  Bitmap canvas;
  canvas.SetFormat(page.TAP_desk.width(), page.TAP_desk.height(), 24);
  const qb::win::UniqueDc dc = qb::win::createMemoryDc();
  const qb::win::SelectionScope onCanvas(dc.get(), canvas.Handle());
  SendMessageW(page.TAP_desk.hwnd(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.get()), PRF_CLIENT);
  return GetPixel(dc.get(), x, y);
}

class DesktopPage : public qb::test::PageTest<TDLLForm> {
 protected:
  explicit DesktopPage(qb::test::PageTestOptions options = {}) : PageTest(kHostTitle, options) {}
  void SetUp() override { qb::win::overrideWindowsVersion(versions::winXp); }

  static void storeDesktop(const char* name, const std::optional<std::string>& text) {
    reg::deleteValue(HKEY_CURRENT_USER, kDesktop, name);
    if (text) reg::writeText(HKEY_CURRENT_USER, kDesktop, name, *text);
  }
  static std::optional<std::string> storedDesktop(const char* name) {
    const reg::Text t = reg::readText(HKEY_CURRENT_USER, kDesktop, name);
    if (t.found != reg::Found::Value) return std::nullopt;
    return t.text;
  }
  static std::optional<std::uint32_t> storedNumber(const char* key, const char* name) {
    const reg::Number n = reg::readNumber(HKEY_CURRENT_USER, key, name);
    if (n.found != reg::Found::Value) return std::nullopt;
    return n.value;
  }

  PrefixWallpaper prefixWallpaper_;
  ConvertedFile converted;
  ScratchFiles files;
};

// ---- Page and exports

TEST_F(DesktopPage, ModuleExportsTheThreePageFunctions) {
  const qb::win::UniqueModule module(LoadLibraryW(L"wallface.dll"));
  ASSERT_TRUE(module) << "wallface.dll beside the test";
  EXPECT_EQ(qb::test::exportedNames(module.get()),
            (std::vector<std::string>{"DLLSave", "ResizeDLLWND", "ShowDLLWND"}));
}

TEST_F(DesktopPage, ControlsSitInTheirGroupsWithTheirCaptions) {
  TDLLForm& page = show();
  struct Case { qb::tk::Control* control; qb::tk::Control* parent; const char* caption; };
  const Case cases[] = {
      {&page.GroupBox24, &page.ScrollBox1, "Ustawienia pulpitu"},
      {&page.desk_winver, &page.GroupBox24, "Pokaż wersje Windows na Pulpicie"},
      {&page.desk_nodesk, &page.GroupBox24, "Brak Pulpitu"},
      {&page.desk_deskstate, &page.GroupBox24, "Wyłącz zapis stanu Pulpitu"},
      {&page.dcw, &page.GroupBox24, "Uruchamiaj kreator oczyszczania pulpitu co 60 dni"},
      {&page.Label47, &page.ScrollBox1, "Wybierz tapete Pulpitu"},
      {&page.Label61, &page.ScrollBox1, "Położenie:"},
      {&page.GroupBox1, &page.ScrollBox1, "Ukryj ikony pulpitu"},
      {&page.GroupBox2, &page.GroupBox1, "Menu Start"},
      {&page.GroupBox3, &page.GroupBox1, "Klasyczne Menu Start"},
      {&page.CheckBox1, &page.GroupBox2, "Mój Komputer"},
      {&page.CheckBox2, &page.GroupBox2, "Moje dokumenty"},
      {&page.CheckBox3, &page.GroupBox2, "Kosz"},
      {&page.CheckBox4, &page.GroupBox2, "Moje miejsca sieciowe"},
      {&page.CheckBox5, &page.GroupBox3, "Mój Komputer"},
      {&page.CheckBox6, &page.GroupBox3, "Moje dokumenty"},
      {&page.CheckBox7, &page.GroupBox3, "Kosz"},
      {&page.CheckBox8, &page.GroupBox3, "Moje miejsca sieciowe"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.control->caption(), c.caption) << c.control->name();
    EXPECT_EQ(c.control->parent(), static_cast<qb::tk::Container*>(c.parent)) << c.control->name();
  }
  // The path edit is flat: a thin border, no sunken edge.
  EXPECT_NE(GetWindowLongW(page.tapetaname.hwnd(), GWL_STYLE) & WS_BORDER, 0);
  EXPECT_EQ(GetWindowLongW(page.tapetaname.hwnd(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0);
  EXPECT_EQ(page.TAP_desk.width(), 177);
  EXPECT_EQ(page.TAP_desk.height(), 131);
  ASSERT_EQ(page.desk_Combo.count(), 3);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(page.desk_Combo.item(i), kPositionItems[static_cast<size_t>(i)]);
}

// ---- The three switches

TEST_F(DesktopPage, EachSwitchReadsAndWritesBothWays) {
  struct Case { qb::tk::CheckBox TDLLForm::*box; const char* key; const char* value; };
  const Case cases[] = {
      {&TDLLForm::desk_winver, kDesktop, "PaintDesktopVersion"},
      {&TDLLForm::desk_nodesk, kPolicies, "NoDesktop"},
      {&TDLLForm::desk_deskstate, kPolicies, "NoSaveSettings"},
  };
  for (const Case& c : cases) {
    for (const std::optional<std::uint32_t> stored : {std::optional<std::uint32_t>(1), std::optional<std::uint32_t>(0),
                                                       std::optional<std::uint32_t>()}) {
      reg::deleteValue(HKEY_CURRENT_USER, c.key, c.value);
      if (stored) reg::writeNumber(HKEY_CURRENT_USER, c.key, c.value, *stored);
      TDLLForm& page = show();
      qb::tk::CheckBox& box = page.*c.box;
      const bool on = stored == 1u;
      EXPECT_EQ(box.checked(), on) << c.value << " stored " << (stored ? std::to_string(*stored) : "nothing");
      box.setChecked(!on);
      EXPECT_EQ(storedNumber(c.key, c.value), stored) << c.value << ": nothing is written before Apply";
      DLLSave();
      EXPECT_EQ(storedNumber(c.key, c.value), on ? 0u : 1u) << c.value;
      closePage();
    }
  }
}

// ---- Wallpaper position

TEST_F(DesktopPage, PositionComboFollowsStyleAndTileWithTileWinning) {
  struct Case { std::optional<std::string> style, tile; const char* shown; };
  const Case cases[] = {
      {"0", "0", "Do środka"},
      {"2", "0", "Rozciągnięcie"},
      {"2", "1", "Sąsiadująco"},
      {"0", "1", "Sąsiadująco"},
      {std::nullopt, "1", "Sąsiadująco"},
      {"1", "0", ""},
      {"2 ", "0", ""},
      {"02", std::nullopt, ""},
      {std::nullopt, std::nullopt, ""},
      {"0", "01", "Do środka"},
  };
  for (const Case& c : cases) {
    storeDesktop("WallpaperStyle", c.style);
    storeDesktop("TileWallpaper", c.tile);
    TDLLForm& page = show();
    EXPECT_EQ(page.desk_Combo.text(), c.shown) << c.style.value_or("(none)") << " / " << c.tile.value_or("(none)");
    closePage();
  }
}

TEST_F(DesktopPage, ApplyStoresPositionOnlyForAnExactItem) {
  struct Case { const char* typed; std::string style, tile; };
  const Case cases[] = {
      {"Do środka", "0", "0"},
      {"Rozciągnięcie", "2", "0"},
      {"Sąsiadująco", "7", "1"},  // the style stays as it was
      {"do środka", "7", "5"},
      {"ROZCIĄGNIĘCIE", "7", "5"},
      {"Sąsiadująco ", "7", "5"},
      {"Sasiadujaco", "7", "5"},
      {"", "7", "5"},
  };
  for (const Case& c : cases) {
    TDLLForm& page = show();
    page.desk_Combo.setText(c.typed);
    storeDesktop("WallpaperStyle", std::string("7"));
    storeDesktop("TileWallpaper", std::string("5"));
    DLLSave();
    EXPECT_EQ(storedDesktop("WallpaperStyle"), c.style) << '"' << c.typed << '"';
    EXPECT_EQ(storedDesktop("TileWallpaper"), c.tile) << '"' << c.typed << '"';
    closePage();
  }
}

// ---- Wallpaper path, preview and the system call

TEST_F(DesktopPage, ApplyHandsTheWallpaperPathUnchangedToTheSystem) {
  const std::string picture = files.write("obraz.bmp", readBytes(sample("picture.bmp")));
  const std::string cases[] = {picture, "", "C:\\Obrazy\\Zażółć gęślą.bmp", "C:\\no such\\file.bmp  ", "relative.bmp"};
  for (const std::string& path : cases) {
    storeDesktop("Wallpaper", path);
    storeDesktop("WallpaperStyle", std::string("1"));  // an empty combo: the wallpaper is still set
    TDLLForm& page = show();
    EXPECT_EQ(page.tapetaname.text(), path);
    DLLSave();
    EXPECT_EQ(prefixWallpaper(), path);
    EXPECT_EQ(storedDesktop("WallpaperStyle"), std::string("1"));
    closePage();
  }

  // What the user typed goes the same way.
  TDLLForm& page = show();
  page.tapetaname.setText("D:\\typed.bmp");
  DLLSave();
  EXPECT_EQ(prefixWallpaper(), "D:\\typed.bmp");
}

TEST_F(DesktopPage, PreviewShowsTheStoredWallpaperStretched) {
  storeDesktop("Wallpaper", files.write("obraz.bmp", readBytes(sample("picture.bmp"))));
  TDLLForm& page = show();
  ASSERT_FALSE(page.TAP_desk.empty());
  EXPECT_EQ(page.TAP_desk.picture().Width(), 40);
  // The 40 x 30 picture's quadrants fill the 177 x 131 preview.
  EXPECT_LE(channelDifference(previewPixel(page, 40, 30), RGB(220, 30, 30)), 8);
  EXPECT_LE(channelDifference(previewPixel(page, 140, 100), RGB(240, 240, 240)), 8);
}

TEST_F(DesktopPage, WallpaperThatCannotBePreviewedLeavesThePreviewEmptySilently) {
  const Bytes gif = readBytes(sample("picture.gif"));
  const Bytes bmp = readBytes(sample("picture.bmp"));
  const Bytes jpeg = readBytes(sample("photo.jpg"));
  const std::string cases[] = {
      "",
      files.path("missing.bmp"),
      files.directory("folder.bmp"),
      files.write("gif.bmp", gif),
      files.write("picture.png", bmp),
      files.write("header.tga", Bytes(10, 2)),
      files.write("cut.bmp", Bytes(bmp.begin(), bmp.begin() + 20)),
      files.write("cut.gif", Bytes(gif.begin(), gif.begin() + 12)),
      files.write("cut.jpg", Bytes(jpeg.begin(), jpeg.begin() + 40)),
      "C:\\" + std::string(32 * 1024, 'x') + ".bmp",
  };
  for (const std::string& path : cases) {
    storeDesktop("Wallpaper", path);
    TDLLForm& page = show();
    EXPECT_EQ(page.tapetaname.text(), path) << path.substr(0, 80);
    EXPECT_TRUE(page.TAP_desk.empty()) << path.substr(0, 80);
    DLLSave();
    closePage();
  }
}

// ---- Cleanup wizard and hidden icons, by Windows version

TEST_F(DesktopPage, CleanupWizardIsReadAndWrittenOnXpOnly) {
  struct Case { const char* name; qb::win::WindowsVersion v; bool gate; };
  const Case versionsToTry[] = {{"98", versions::win98, false},  {"2000", versions::win2000, false},
                                {"XP", versions::winXp, true},   {"2003", versions::win2003, false},
                                {"Vista", versions::vista, false}, {"9x 5.1", {1, 5, 1, 0}, false}};
  struct Stored { const char* what; bool key; std::optional<DWORD> noRun; bool checked; };
  const Stored stored[] = {{"no key", false, std::nullopt, true},
                           {"key without NoRun", true, std::nullopt, true},
                           {"NoRun 1", true, 1u, false},
                           {"NoRun 0", true, 0u, true},
                           {"NoRun 2", true, 2u, true}};
  for (const Case& c : versionsToTry) {
    for (const Stored& s : stored) {
      reg::deleteTree(HKEY_CURRENT_USER, kCleanupWizardKey);
      if (s.key) reg::createKey(HKEY_CURRENT_USER, kCleanupWizardKey);
      if (s.noRun) reg::writeNumber(HKEY_CURRENT_USER, kCleanupWizardKey, kCleanupWizardValue, *s.noRun);
      qb::win::overrideWindowsVersion(c.v);
      TDLLForm& page = show();
      SCOPED_TRACE(std::string(c.name) + ", " + s.what);
      EXPECT_EQ(page.dcw.enabled(), c.gate);
      EXPECT_EQ(page.dcw.checked(), c.gate && s.checked);
      DLLSave();
      const auto after = storedNumber(kCleanupWizardKey, kCleanupWizardValue);
      if (c.gate) {
        EXPECT_EQ(after, s.checked ? 0u : 1u);
      } else {
        EXPECT_EQ(after, s.noRun);
      }
      if (c.gate) {
        page.dcw.setChecked(!page.dcw.checked());
        DLLSave();
        EXPECT_EQ(storedNumber(kCleanupWizardKey, kCleanupWizardValue), s.checked ? 1u : 0u);
      }
      closePage();
    }
  }
}

TEST_F(DesktopPage, HiddenIconsAreReadAndWrittenInsideTheirGateOnly) {
  struct Case { const char* name; qb::win::WindowsVersion v; bool gate; bool groupEnabled; };
  const Case cases[] = {
      {"98", versions::win98, false, false},        {"Me", versions::winMe, false, false},
      {"NT 4", versions::nt4, false, true},         {"2000", versions::win2000, false, true},
      {"XP", versions::winXp, true, true},          {"2003", versions::win2003, true, true},
      {"Vista", versions::vista, true, true},       {"7", {2, 6, 1, 7601}, true, true},
      {"10", {2, 10, 0, 19045}, false, true},
  };
  const auto& icons = hiddenIcons();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    // Stored: 1 for the first, third and eighth; 2, text "1" and 0 for others; the rest missing.
    for (const HiddenIcon& icon : icons) reg::deleteTree(HKEY_CURRENT_USER, icon.key);
    reg::writeNumber(HKEY_CURRENT_USER, icons[0].key, icons[0].classId, 1);
    reg::writeNumber(HKEY_CURRENT_USER, icons[2].key, icons[2].classId, 1);
    reg::writeNumber(HKEY_CURRENT_USER, icons[7].key, icons[7].classId, 1);
    reg::writeNumber(HKEY_CURRENT_USER, icons[1].key, icons[1].classId, 2);
    reg::writeText(HKEY_CURRENT_USER, icons[4].key, icons[4].classId, "1");
    reg::writeNumber(HKEY_CURRENT_USER, icons[5].key, icons[5].classId, 0);
    qb::win::overrideWindowsVersion(c.v);
    TDLLForm& page = show();
    const auto iconBoxes = page.iconBoxes();
    EXPECT_EQ(page.GroupBox1.enabled(), c.groupEnabled);
    for (size_t i = 0; i < iconBoxes.size(); ++i) {
      EXPECT_EQ(iconBoxes[i]->enabled(), c.gate || c.v.nineX()) << iconBoxes[i]->name();
      EXPECT_EQ(iconBoxes[i]->checked(), c.gate && (i == 0 || i == 2 || i == 7)) << iconBoxes[i]->name();
    }
    iconBoxes[2]->setChecked(false);
    iconBoxes[3]->setChecked(c.gate);
    DLLSave();
    const std::optional<std::uint32_t> expected[8] = {1u, c.gate ? 0u : 2u, c.gate ? 0u : 1u, c.gate ? std::optional<std::uint32_t>(1u) : std::nullopt,
                                                      c.gate ? std::optional<std::uint32_t>(0u) : std::nullopt,
                                                      0u, c.gate ? std::optional<std::uint32_t>(0u) : std::nullopt, 1u};
    for (size_t i = 0; i < icons.size(); ++i)
      EXPECT_EQ(storedNumber(icons[i].key, icons[i].classId), expected[i]) << iconBoxes[i]->name();
    if (!c.gate) {
      EXPECT_EQ(reg::readText(HKEY_CURRENT_USER, icons[4].key, icons[4].classId).text, "1");
    }
    closePage();
  }
}

class DesktopPageReadOnly : public DesktopPage {
 protected:
  DesktopPageReadOnly() : DesktopPage(qb::test::PageTestOptions().readOnlyRegistry().expectMessageBoxes(1)) {}
};

TEST_F(DesktopPageReadOnly, AFailedWriteEndsApplyWithTheKeyReported) {
  TDLLForm& page = show();
  page.tapetaname.setText("C:\\read only.bmp");
  DLLSave();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, "Nie udało się zapisać ustawień.\rHKEY_CURRENT_USER\\" +
                                       std::string(kCleanupWizardKey) + " \"NoRun\"");
  EXPECT_EQ(prefixWallpaper(), "C:\\read only.bmp") << "the steps before the failed one are done";
}

// ---- Choosing a picture

TEST_F(DesktopPage, BitmapFilterTakesTheChosenFileAsItIs) {
  const std::string chosen = files.write("wybrany.bmp", readBytes(sample("picture.bmp")));
  qb::test::OpenFileAnswer answer(OpenFileChoice{chosen, 1});
  TDLLForm& page = show();
  page.SpeedButton11.click();
  ASSERT_EQ(answer.requests().size(), 1u);
  EXPECT_EQ(answer.requests()[0].filter, kPictureFilter);
  EXPECT_EQ(answer.requests()[0].owner, page.hwnd());
  EXPECT_EQ(page.tapetaname.text(), chosen);
  EXPECT_EQ(page.TAP_desk.picture().Width(), 40);
  EXPECT_FALSE(exists(converted.path()));
  EXPECT_EQ(storedDesktop("Wallpaper"), std::nullopt) << "nothing is stored before Apply";

  // A cancelled dialog changes nothing.
  answer.answer(std::nullopt);
  page.SpeedButton11.click();
  EXPECT_EQ(page.tapetaname.text(), chosen);
  EXPECT_EQ(page.TAP_desk.picture().Width(), 40);

  DLLSave();
  EXPECT_EQ(prefixWallpaper(), chosen);
}

TEST_F(DesktopPage, OtherFiltersConvertToTapetaBmpWithTheSourcesPixels) {
  struct Case { const char* name; std::string path; int filter; };
  const Case cases[] = {
      {"JPEG", sample("photo.jpg"), 2},
      {"GIF", sample("picture.gif"), 6},
      {"EMF", files.write("quarters.emf", quarterMetafile()), 4},
      {"Targa", files.write("six.tga", sixColourTarga()), 5},
      {"bitmap through the last filter", sample("picture.bmp"), 7},
  };
  qb::test::OpenFileAnswer answer;
  TDLLForm& page = show();
  const std::string before = page.tapetaname.text();
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    answer.answer(OpenFileChoice{c.path, c.filter});
    page.SpeedButton11.click();
    ASSERT_TRUE(exists(converted.path()));
    EXPECT_EQ(page.tapetaname.text(), converted.path());
    const Bytes file = readBytes(converted.path());
    ASSERT_GT(file.size(), 54u);
    EXPECT_EQ(file[0], 'B');
    EXPECT_EQ(file[1], 'M');
    Bitmap saved;
    saved.LoadFromFile(converted.path());
    EXPECT_EQ(differences(saved, *decoded(c.path)), "");
    EXPECT_EQ(page.TAP_desk.picture().Width(), saved.Width()) << "the preview shows the converted file";
  }
  EXPECT_FALSE(exists(converted.path() + ".qbtmp"));
  EXPECT_EQ(storedDesktop("Wallpaper"), std::nullopt) << "nothing is stored before Apply";
  EXPECT_NE(prefixWallpaper(), converted.path());
  DLLSave();
  EXPECT_EQ(prefixWallpaper(), converted.path());
}

TEST_F(DesktopPage, ConvertedPicturesKeepTheirColours) {
  qb::test::OpenFileAnswer answer;
  TDLLForm& page = show();
  auto convert = [&](const std::string& path) {
    answer.answer(OpenFileChoice{path, 7});
    page.SpeedButton11.click();
    auto b = std::make_unique<Bitmap>();
    b->LoadFromFile(converted.path());
    return b;
  };

  const auto targa = convert(files.write("six.tga", sixColourTarga()));
  ASSERT_EQ(targa->Width(), 3);
  ASSERT_EQ(targa->Height(), 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(targa->PixelRgb(x, y), kSixColours[y][x]) << x << "," << y;

  // Against Pillow's decode of the same JPEG.
  const auto jpeg = convert(sample("photo.jpg"));
  const Bytes rgb = readBytes(sample("photo.jpg") + ".rgb");
  ASSERT_EQ(rgb.size(), static_cast<size_t>(jpeg->Width() * jpeg->Height() * 3));
  int worst = 0;
  for (int y = 0; y < jpeg->Height(); ++y)
    for (int x = 0; x < jpeg->Width(); ++x) {
      const size_t i = (static_cast<size_t>(y) * jpeg->Width() + x) * 3;
      worst = std::max(worst, channelDifference(jpeg->PixelRgb(x, y), RGB(rgb[i], rgb[i + 1], rgb[i + 2])));
    }
  EXPECT_LE(worst, 2);

  const auto gif = convert(sample("picture.gif"));
  EXPECT_EQ(gif->PixelRgb(10, 7), RGB(220, 30, 30));
  EXPECT_EQ(gif->PixelRgb(30, 22), RGB(240, 240, 240));

  const auto emf = convert(files.write("quarters.emf", quarterMetafile()));
  EXPECT_NEAR(emf->Width(), 80, 1);
  EXPECT_EQ(emf->PixelRgb(20, 15), RGB(0, 0, 255));
  EXPECT_EQ(emf->PixelRgb(60, 45), RGB(255, 0, 0));
}

class ChosenPictureErrors : public DesktopPage {
 protected:
  ChosenPictureErrors() : DesktopPage(qb::test::PageTestOptions().messageBoxesVary()) {}
};

TEST_F(ChosenPictureErrors, AFailingPictureShowsItsMessageAndChangesNothing) {
  TgaFile noData;
  noData.imageType = 0;
  TgaFile fifteen;
  fifteen.depth = 15;
  TgaFile hugeTarga;
  hugeTarga.width = hugeTarga.height = 65535;
  hugeTarga.depth = 32;
  const Bytes gif = readBytes(sample("picture.gif"));
  const Bytes bmp = readBytes(sample("picture.bmp"));
  Bytes hostileBmp = bmp;
  const std::int32_t million = 1000000;
  std::memcpy(hostileBmp.data() + 18, &million, 4);
  std::memcpy(hostileBmp.data() + 22, &million, 4);

  struct Case { const char* what; std::string path; int filter; std::string message; bool prefixOnly; };
  const Case cases[] = {
      {"Targa without data", files.write("nodata.tga", noData.bytes()), 5, "Plik nie posiada danych obrazu", false},
      {"15-bit Targa", files.write("fifteen.tga", fifteen.bytes()), 5, "Nieobsługiwany format obrazu", false},
      {"Targa claiming 65535 x 65535", files.write("huge.tga", hugeTarga.bytes()), 5, "Nieobsługiwany format obrazu", false},
      {"Targa cut in its header", files.write("cut.tga", Bytes(10, 2)), 7, "Plik obrazu jest niekompletny", false},
      {"damaged JPEG", sample("corrupt.jpg"), 2, "Błąd odczytu pliku JPEG: ", true},
      {"damaged GIF", sample("corrupt.gif"), 6, "Nie można odczytać obrazu", false},
      {"GIF named .bmp", files.write("gif.bmp", gif), 1, "Nieprawidłowy plik mapy bitowej", false},
      {"bitmap claiming a million squared", files.write("huge.bmp", hostileBmp), 1, "Obraz jest zbyt duży", false},
      {"bitmap cut in its header", files.write("cut.bmp", Bytes(bmp.begin(), bmp.begin() + 20)), 7,
       "Nieprawidłowy plik mapy bitowej", false},
      {"folder", files.directory("folder.bmp"), 1, "Nie można otworzyć pliku: ", true},
      {"missing file", files.path("missing.gif"), 6, "Nie można otworzyć pliku: ", true},
      {"unknown extension", files.write("picture.png", bmp), 7, "Nieznany format pliku obrazu: ", true},
  };
  const std::string earlier = files.write("earlier.bmp", bmp);
  storeDesktop("Wallpaper", earlier);
  qb::test::OpenFileAnswer answer;
  TDLLForm& page = show();
  ASSERT_EQ(page.TAP_desk.picture().Width(), 40);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const size_t boxesBefore = boxes.calls().size();
    answer.answer(OpenFileChoice{c.path, c.filter});
    page.SpeedButton11.click();
    ASSERT_EQ(boxes.calls().size(), boxesBefore + 1);
    const std::string& text = boxes.calls().back().text;
    if (c.prefixOnly)
      EXPECT_EQ(text.rfind(kGeneralError + c.message, 0), 0u) << text;
    else
      EXPECT_EQ(text, kGeneralError + c.message);
    EXPECT_EQ(page.tapetaname.text(), earlier);
    EXPECT_EQ(page.TAP_desk.picture().Width(), 40);
    EXPECT_FALSE(exists(converted.path()));
  }
}

TEST_F(ChosenPictureErrors, ConversionThatCannotBeWrittenKeepsTheEarlierFileWhole) {
  const Bytes earlierBytes = readBytes(sample("picture8.bmp"));
  qb::test::OpenFileAnswer answer;
  TDLLForm& page = show();
  page.tapetaname.setText("C:\\earlier.bmp");

  // A folder where the file should go.
  ASSERT_TRUE(CreateDirectoryW(widen(converted.path()).c_str(), nullptr));
  answer.answer(OpenFileChoice{sample("picture.gif"), 6});
  page.SpeedButton11.click();
  ASSERT_EQ(boxes.calls().size(), 1u);
  EXPECT_EQ(boxes.calls()[0].text, kGeneralError + std::string("Nie można zapisać pliku: ") + converted.path());
  EXPECT_EQ(page.tapetaname.text(), "C:\\earlier.bmp");
  EXPECT_TRUE(page.TAP_desk.empty());
  EXPECT_FALSE(exists(converted.path() + ".qbtmp"));
  converted.remove();

  // An earlier converted file that is in use stays as it was.
  {
    std::ofstream(widen(converted.path()).c_str(), std::ios::binary)
        .write(reinterpret_cast<const char*>(earlierBytes.data()), static_cast<std::streamsize>(earlierBytes.size()));
  }
  {
    const qb::win::UniqueFileHandle inUse(CreateFileW(widen(converted.path()).c_str(), GENERIC_READ, 0, nullptr,
                                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(inUse);
    answer.answer(OpenFileChoice{sample("photo.jpg"), 2});
    page.SpeedButton11.click();
  }
  ASSERT_EQ(boxes.calls().size(), 2u);
  EXPECT_EQ(boxes.calls()[1].text, kGeneralError + std::string("Nie można zapisać pliku: ") + converted.path());
  EXPECT_EQ(readBytes(converted.path()), earlierBytes);
  EXPECT_EQ(page.tapetaname.text(), "C:\\earlier.bmp");
  EXPECT_FALSE(exists(converted.path() + ".qbtmp"));
}

TEST_F(DesktopPage, ConvertedPathIsTheWindowsDirectoryWithOneBackslash) {
  wchar_t folder[MAX_PATH];
  const UINT n = GetWindowsDirectoryW(folder, MAX_PATH);
  ASSERT_GT(n, 0u);
  std::string expected = narrow(std::wstring(folder, n));
  while (!expected.empty() && expected.back() == '\\') expected.pop_back();
  EXPECT_EQ(convertedWallpaperPath(), expected + "\\Tapeta.BMP");
}

// ---- The real host

BOOL CALLBACK findGroupBox(HWND h, LPARAM lp) {
  wchar_t text[64] = {};
  GetWindowTextW(h, text, 64);
  if (std::wstring(text) != L"Ustawienia pulpitu") return TRUE;
  *reinterpret_cast<HWND*>(lp) = h;
  return FALSE;
}

TEST(DesktopInTheHost, HostShowsThePage) {
  std::wstring command = L"qubrix.exe wallface";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  const qb::win::UniqueKernelHandle process(pi.hProcess);
  CloseHandle(pi.hThread);
  HWND host = nullptr, group = nullptr;
  for (int i = 0; i < 200 && !(group && IsWindowVisible(group)); ++i, Sleep(50)) {
    if (!host) host = FindWindowW(nullptr, L"Qubrix");
    if (host) EnumChildWindows(host, findGroupBox, reinterpret_cast<LPARAM>(&group));
  }
  EXPECT_NE(group, nullptr) << "no desktop page in the host";
  if (host) PostMessageW(host, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) TerminateProcess(process.get(), 1);
}

// ---- Whole processes under Wine's emulation of other Windows versions

TEST(DesktopUnderEmulatedWindows, GatesFollowTheWholeProcessVersion) {
  struct Case { const char* wine; long platform, major, minor; bool wizard, icons; };
  const Case cases[] = {{"win2k", 2, 5, 0, false, false}, {"winxp", 2, 5, 1, true, true},
                        {"vista", 2, 6, 0, false, true}, {"win98", 1, 4, 10, false, false}};
  for (const Case& c : cases) {
    const qb::test::ProbeFindings r = qb::test::runProbe(L"wallface_probe.exe", c.wine);
    SCOPED_TRACE(c.wine);
    ASSERT_EQ(r.run.exitCode, 0u) << r;
    const std::pair<const char*, long> expected[] = {
        {"platform", c.platform},
        {"major", c.major},
        {"minor", c.minor},
        {"dcw_enabled", c.wizard},
        {"dcw_checked", c.wizard},  // the key is there, "NoRun" is not
        {"icon_boxes_enabled", c.icons || c.platform == 1 ? 8 : 0},
        {"icon_group_enabled", c.platform == 2},
        {"icon_boxes_checked", c.icons ? 8 : 0},
        {"norun_after", c.wizard ? 0 : -1},
        {"icons_stored_one_after", c.icons ? 7 : 8},  // one box unchecked before Apply
        {"switch_after", 1},
        {"messages", 0},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(r.number(name), value) << name << "\n" << r;
  }
}

}  // namespace
