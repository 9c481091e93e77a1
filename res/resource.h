// Resource IDs of the program.
#pragma once
#define IDI_MAINFRAME 128
