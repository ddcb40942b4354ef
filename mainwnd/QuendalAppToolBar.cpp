// The application's toolbar images: the user's bitmaps named in
// "Resource\Resource.dat" beside the program.
#include "core/QuendalApp.h"

#include "mainwnd/BitmapFile.h"
#include "mainwnd/ResourceDataSet.h"

namespace {

// Read once, the first time a toolbar asks.
const CResourceDataSet* ResourceTable(const CString& folder)
{
    static CResourceDataSet* table = nullptr;
    if (!table) {
        table = new CResourceDataSet;
        CString path = folder + "\\Resource\\Resource.dat";
        DWORD attr = ::GetFileAttributesA(path);
        if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
            table->SetFilePath(path);
            table->ReadFromFile(TRUE);
        }
    }
    return table;
}

} // namespace

HBITMAP CQuendalApp::LoadResourceBitmap(CWnd* pWnd, UINT nID)
{
    const int kind = CResourceDataSet::KindOfResource(nID);
    if (!kind)
        return nullptr;
    const CResourceDataSet* table = ResourceTable(GetProgramFolder());
    const CResourceData* file = table->FindKind(kind);
    if (!file || file->m_strFileName.IsEmpty())
        return nullptr;
    // The editor's toolbar takes the colour given for the viewer's.
    const CResourceData* colour = nID == 140 ? table->FindKind(2) : file;
    if (!colour)
        colour = file;
    const COLORREF from = RGB(colour->m_nRed, colour->m_nGreen, colour->m_nBlue);
    CString path = GetProgramFolder() + "\\Resource\\" + file->m_strFileName;
    CString error;
    HBITMAP hBitmap = BitmapFile::Load(pWnd ? pWnd->m_hWnd : nullptr, path, 24, 0, 0, true, from,
                                       ::GetSysColor(COLOR_BTNFACE), &error);
    if (!hBitmap) {
        CString text;
        text.Format("ツールバーの画像を読み込めません。\r\n%s\r\n%s", static_cast<const char*>(path),
                    static_cast<const char*>(error));
        AfxMessageBox(text, MB_OK | MB_ICONEXCLAMATION);
    }
    return hBitmap;
}
