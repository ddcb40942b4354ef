// The IWebBrowser2 interface of a browser control, for the control's wrapper
// (CWebBrowser::QueryWebBrowser2 stores what this returns).
#pragma once

#include <windows.h>
#include <exdisp.h>

// Reads the control's Application property (dispatch id 200) and queries it
// for IWebBrowser2. Returns the interface with one reference for the caller,
// or null; the Application pointer itself is released either way.
IWebBrowser2* QueryWebBrowser2(IDispatch* pControl);
