// CBrowserEventOwner: what the browser control's event sink reports to.
#pragma once

class CBrowserEventOwner
{
public:
    virtual ~CBrowserEventOwner() = default;
    // Whether the control may follow a navigation itself; otherwise the link
    // goes to the shell.
    virtual bool MayNavigate() { return false; }
    virtual void OnBrowserReserved() {}
    virtual void OnBrowserDocumentComplete(const char*) {}
    virtual void OnBrowserDownloadComplete() {}
};
