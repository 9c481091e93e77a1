// Control and command IDs of the test target window, shared with the tests that drive it.
#pragma once

constexpr wchar_t kTargetClass[] = L"LumoraTestTarget";
constexpr int kCommandDialog = 103; // a WM_COMMAND with this ID opens a modal dialog
constexpr int kButtonId = 1001;
constexpr int kComboId = 1002;    // five items
constexpr int kTrackbarId = 1003; // 0..100 at 50
constexpr int kScrollId = 1004;   // horizontal, 0..100 at 50
constexpr int kEditId = 1005;
