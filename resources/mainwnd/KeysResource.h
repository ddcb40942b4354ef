// Resource ids of the default key assignments.
#pragma once

// IDR_MAINFRAME (128) holds the main window's defaults.
#define IDR_VIEWER_ACCEL 134
#define IDR_EDITOR_ACCEL 140

// The help command; its key text is kept for each kind of window.
#define ID_HELP_FINDER 57670
