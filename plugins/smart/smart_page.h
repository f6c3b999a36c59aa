#pragma once
// The S.M.A.R.T. page: the IDE disks that answer, and for the one clicked
// every attribute with its verdict. It reads only; closing it only hides it.
#include <array>
#include <string>

#include "qb/shell/page.h"
#include "qb/tk/listview.h"
#include "smart_disk.h"

class TForm2 : public qb::shell::PluginPage {
 public:
  TForm2();

  qb::tk::ListView ListView1;  // the disks
  qb::tk::ListView ListView;   // the attributes of the disk clicked

  // Shows the attributes of the disk whose row is selected.
  void ListView1Click();
  // Reads disk `index` and lists its attributes.
  void ShowSmart(int index);

  // The texts ShowSmart uses: the titles of attribute columns 0 to 6, then
  // the start of the temperature row. The language file replaces them.
  const std::array<std::string, 8>& captions() const { return captions_; }

 protected:
  void FormShow() override;

 private:
  void FillDiskList();

  std::array<std::string, 8> captions_;
};

// The disk access of this process: the device in force, the running Windows.
qb::smart::DiskAccess smartDiskAccess();
