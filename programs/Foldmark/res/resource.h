#pragma once
// Resources of Foldmark.exe.
#define IDI_FOLDMARK 1
#define IDB_FOLDMARK_LOGO 101
