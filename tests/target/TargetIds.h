// Control and menu IDs of the test target window, shared with the tests that drive it.
#pragma once

constexpr wchar_t kTargetClass[] = L"LumoraTestTarget";
constexpr int kMenuOpen = 101;
constexpr int kMenuSave = 102;
constexpr int kMenuDialog = 103;
constexpr int kMenuExit = 104;
constexpr int kMenuPlay = 201;
constexpr int kMenuStop = 202;
constexpr int kButtonId = 1001;
constexpr int kComboId = 1002;
constexpr int kTrackbarId = 1003;
constexpr int kScrollId = 1004;
constexpr int kEditId = 1005;
constexpr int kDialogEditId = 1101;
