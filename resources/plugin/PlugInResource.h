// Resource identifiers of the plug-in information dialog (plugin/).
#pragma once

#define IDD_PLUGIN_INFO 2790

#define IDC_PI_LIST 1000
#define IDC_PI_README 1001
#define IDC_PI_PROPERTY 1002
#define IDC_PI_HELP 1003
