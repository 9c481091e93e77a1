// The program's version, shared by the version resource and the code.
#pragma once
#define LM_VERSION_MAJOR 1
#define LM_VERSION_MINOR 0
#define LM_VERSION_PATCH 0
#define LM_VERSION_BUILD 1
#define LM_VERSION_TEXT "1.0.0.1"
#define LM_PRODUCT_NAME "Lumora Remote Control"
#define LM_EXE_NAME "RemoteControl.exe"
