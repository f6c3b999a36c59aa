#pragma once
// The module file information page: nine kinds of Windows modules on its
// index screen; choosing one lists the files of that kind in the Windows and
// system folders with the version and description of each, and a double
// click opens a file's properties.
#include <windows.h>

#include <string>
#include <vector>

#include "qb/shell/page.h"
#include "qb/tk/container.h"
#include "qb/tk/controls.h"
#include "qb/tk/listview.h"
#include "qb/tk/pagecontrol.h"

namespace qb::modscope {

// The extension chosen last (without the dot); it lives as long as the module.
std::string& chosenExtension();

// Opens the shell's properties dialog of a file (the "properties" verb).
// Tests replace it, since the dialog cannot be answered here; null puts the
// shell's back. Returns the call replaced.
using PropertiesCall = void (*)(const std::wstring& path);
PropertiesCall replacePropertiesCall(PropertiesCall call);

// A small static picture showing one of the system's shared icons.
class IconPicture : public qb::tk::Control {
 public:
  IconPicture(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b, const wchar_t* systemIcon);
};

// A sunken horizontal line.
class Separator : public qb::tk::Control {
 public:
  Separator(qb::tk::Container& parent, std::string name, const qb::tk::Bounds& b);
};

}  // namespace qb::modscope

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::PageControl PageControl1;
  qb::tk::TabSheet TS1;
  qb::tk::TabSheet TS2;
  qb::tk::ScrollBox ScrollBox1;
  qb::tk::Label Label19;  // the title
  qb::modscope::Separator Bevel1;
  // The links "DLL" ... "OCX" (tags 1 to 9), their icons and their descriptions.
  qb::tk::LinkLabel Label10, Label11, Label12, Label13, Label14, Label15, Label16, Label17, Label18;
  qb::modscope::IconPicture Image1, Image2, Image3, Image4, Image5, Image6, Image7, Image8, Image9;
  qb::tk::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8, Label9;
  qb::tk::ListView DLLList;

  void Back() override;
  void Label10Click(qb::tk::Control& sender);
  void DLLListDblClick();

  // What each row stands for: the folder and the file's own name in it.
  struct ListedFile {
    std::wstring folder;
    std::wstring name;
  };
  const std::vector<ListedFile>& files() const { return files_; }

 protected:
  void FormShow() override;

 private:
  void ListFiles();
  void ListFolder(const std::wstring& folder);

  qb::tk::UniqueImageList rowImages_;
  std::vector<ListedFile> files_;
};
