// The plug-in host's share of the application's start-up and shut-down.
#pragma once

#include <windows.h>

class CQuendalApp;

// Makes the API object and, unless plug-ins are switched off, loads the
// modules of the folder "PlugIn" beside the program.
void StartPlugInHost(CQuendalApp* pApp);
// After the main window and the service threads: the plug-in menu, event 10,
// and the plug-in menu items taken out when no plug-in registered a command.
void FirePlugInInitEvent(HWND hMainWnd);
// Shut-down: "OnUnload", modules freed.
void UnloadPlugIns();
// The very last step: the API object goes.
void DeleteQuendalAPIObject();
