#pragma once
// The shell's desktop window tree and the changes made to it: the top-level
// "Progman" window, its shell view "SHELLDLL_DefView" and that view's list view
// "SysListView32", which holds the desktop's icons.
#include <windows.h>

#include "view_steps.h"

namespace qb::foldmark {

// The shell view below the first "Progman" window of any title; null when missing.
HWND findShellView();
// The list view below "Progman" titled "Program Manager" and its shell view.
HWND findDesktopListView();
// The first list view below the shell view that findShellView finds.
HWND findReportListView();

// Replaces the view type, alignment and header bits of a window's style.
void setViewStyle(HWND listView, unsigned value);

// Carries out each step on the windows found at that moment. A step whose
// window is missing does nothing; nothing is reported.
void runSteps(const Steps& steps);

}  // namespace qb::foldmark
