// Resource IDs of the program.
#pragma once
#define IDI_MAINFRAME 128
// The on-screen display: its dialog and the control it draws on.
#define IDD_OSD 100
#define IDC_OSD_DISPLAY 1000
