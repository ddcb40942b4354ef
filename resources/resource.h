// Resource identifiers of CVMail.exe.
#pragma once

#define IDS_APP_TITLE 1
