#pragma once
// The task manager page: an index screen and three screens (windows,
// processes, performance) that one timer refreshes every second.
#include <windows.h>

#include <memory>
#include <string>

#include "newtask_dialog.h"
#include "qb/shell/page.h"
#include "qb/tk/controls.h"
#include "qb/tk/gauge.h"
#include "qb/tk/image.h"
#include "qb/tk/listview.h"
#include "qb/tk/pagecontrol.h"
#include "qb/tk/paintbox.h"
#include "qb/tk/timer.h"
#include "usage.h"

class TDLLForm : public qb::shell::PluginPage {
 public:
  TDLLForm();

  qb::tk::PageControl PageControl1;
  qb::tk::TabSheet TS1;
  qb::tk::TabSheet TS2;
  qb::tk::TabSheet TS3;
  qb::tk::TabSheet TS4;

  // The index screen.
  qb::tk::Label Label1;
  qb::tk::LinkLabel Label50;  // "Aktywne okna", tag 0
  qb::tk::Label Label2;
  qb::tk::LinkLabel Label51;  // "Procesy", tag 1
  qb::tk::Label Label3;
  qb::tk::LinkLabel Label52;  // "Wydajność", tag 2
  qb::tk::Label Label4;
  qb::tk::Image Image1, Image2, Image3;  // the links' icons

  // Windows.
  qb::tk::ListView ListViewWND;
  qb::tk::Button Button3;  // "Zakończ zadanie"
  qb::tk::Button Button2;  // "Nowe zadanie..."

  // Processes.
  qb::tk::Panel Panel1;
  qb::tk::Button Button1;  // "Zakończ proces"
  qb::tk::ListView ListView3;

  // Performance.
  qb::tk::ScrollBox ScrollBox1;
  qb::tk::GroupBox GroupBox1;
  qb::tk::Label Shape1;
  qb::tk::Gauge Gauge3;
  qb::tk::Label cpuusage;
  qb::tk::GroupBox GroupBox2;
  qb::tk::PaintBox PaintBox1;
  qb::tk::GroupBox GroupBox3;
  qb::tk::Label Shape2;
  qb::tk::Gauge Gauge4;
  qb::tk::Label memusage;
  qb::tk::GroupBox GroupBox4;
  qb::tk::Label Label8, TRAM, Label9, Label5, Label10, Label6;
  qb::tk::GroupBox GroupBox5;
  qb::tk::Label Label11, Label7, Label12, Label13;
  qb::tk::GroupBox GroupBox6;
  qb::tk::Label Label14, TOTPAGE, Label15, UsedPAGE, Label16, FREEPAGE;
  qb::tk::GroupBox GroupBox7;
  qb::tk::Label Label17, procesnumbers;
  qb::tk::GroupBox GroupBox8;
  qb::tk::Label Label18, WIRTTot, Label19, WirtFree, Label20, WirtUsed;

  qb::tk::Timer Timer1;

  void Back() override;
  void Label50Click(qb::tk::Control& sender);

  // One refresh of everything, in the tick's order. A tick that comes while
  // another is still running (inside one of its message boxes) is skipped.
  void Timer1Timer();
  // The pieces of the tick.
  void RefreshProcesses();
  void RefreshWindows();
  void DrawHistory();

  void Button1Click();  // ends the selected process
  void Button3Click();  // asks the selected window to close
  void Button2Click();  // the new-task dialog, modal

  // The new-task dialog while it is shown, else null.
  TForm1* newTaskDialog() const { return newTask_; }
  // The history of CPU shares the graph shows (the module keeps it).
  static const qb::runwatch::CpuHistory& cpuHistory();

 protected:
  void FormShow() override;

 private:
  void addProcessRow(DWORD pid, const std::string& name);
  std::string workingSetText(DWORD pid);
  void rebuildAfterEnd();
  void showProcessCount();

  std::string thousands_;  // the locale's separator, UTF-8
  bool ticking_ = false;
  TForm1* newTask_ = nullptr;
};

// The module's own exports: its name and its author as counted texts in the
// system's ANSI code page, written over the start of a 256-byte buffer.
extern "C" {
void __stdcall QBPGetName(unsigned char* buffer);
void __stdcall QBPGetAutor(unsigned char* buffer);
}
