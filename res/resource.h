// Resource IDs of the program.
#pragma once
// The program's icon: window, tray and file.
#define IDI_MAINFRAME 200
// The header picture of the command-set wizard.
#define IDB_WIZARD_HEADER 250
// The on-screen display: its dialog and the control it draws on.
#define IDD_OSD 100
#define IDC_OSD_DISPLAY 1000
// The pages of the editor sheet (menu, command sets, options, about) and of the command-set wizard
// (application, key assignment, review). Their controls carry the IDs of the strings of their texts.
#define IDD_PAGE_MENU 101
#define IDD_PAGE_CMDSETS 102
#define IDD_PAGE_OPTIONS 103
#define IDD_PAGE_ABOUT 104
#define IDD_PAGE_CMDSET_APP 106
#define IDD_PAGE_CMDSET_EDIT 107
#define IDD_PAGE_CMDSET_REVIEW 108
