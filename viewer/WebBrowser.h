// CWebBrowser: the platform's browser control hosted as a child window, for
// showing HTML mail. Where no HTML engine is installed (Wine without its
// engine package) the control must not be created at all: creating it
// there asks to download the engine and waits; the mail view then shows
// HTML mail through its text path.
#pragma once

#include "classlib/ClassLib.h"
#include "html/BrowserEvent.h"
#include "html/BrowserLoadState.h"

#include <ole2.h>

class CWebBrowser : public CWnd
{
public:
    CWebBrowser();
    ~CWebBrowser() override;

    // Whether an HTML engine can be used here. Tests may replace the probe.
    static bool IsEngineAvailable();
    using EngineProbe = bool (*)();
    static void SetEngineProbe(EngineProbe probe);

    // Creates the host window and the control in it; false when either fails.
    BOOL Create(CWnd* pParent, UINT nID, const RECT& rect);
    // Navigate (DISPID 104) to a file path.
    BOOL Navigate(const char* pszPath);
    // The control's Visible property (DISPID 402).
    BOOL GetVisible();
    void PutVisible(BOOL bVisible);
    // The browser's automation object (IWebBrowser2), AddRef'd; null when absent.
    IDispatch* QueryWebBrowser2();
    // Who hears of finished pages and decides on navigations; the control's
    // own load state unless set.
    void SetEventOwner(CBrowserEventOwner* pOwner) { m_events.SetOwner(pOwner ? pOwner : &m_loadState); }
    // The loaded document's automation object, AddRef'd; null when none.
    IDispatch* GetDocumentDispatch();
    // Scrolls the shown document by dy pixels through its window object.
    BOOL ScrollDocumentBy(int dy);

protected:
    LRESULT OnSizeMsg(WPARAM, LPARAM);
    LRESULT OnDestroyMsg(WPARAM, LPARAM);

    DECLARE_MESSAGE_MAP()

private:
    class CSite;
    void Close();
    HRESULT Invoke(DISPID id, WORD flags, VARIANT* args, UINT nArgs, VARIANT* result);

    CSite* m_pSite = nullptr;
    // Links the user follows leave through the shell; only the program's
    // own pages load in the control.
    CBrowserEvent m_events;
    CBrowserLoadState m_loadState;
    IOleObject* m_pObject = nullptr;
    IDispatch* m_pDispatch = nullptr;
};
