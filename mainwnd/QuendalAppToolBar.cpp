// The application's toolbar images: the user's bitmaps named in
// "Resource\Resource.dat" beside the program.
#include "core/QuendalApp.h"

#include "mainwnd/BitmapFile.h"
#include "mainwnd/ResourceDataSet.h"

namespace {

// The table is small and read when a toolbar asks, so that a changed file
// is seen by the next toolbar made.
void ReadResourceTable(const CString& folder, CResourceDataSet& table)
{
    CString path = folder + "\\Resource\\Resource.dat";
    DWORD attr = ::GetFileAttributesA(path);
    if (attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY)) {
        table.SetFilePath(path);
        table.ReadFromFile(TRUE);
    }
}

} // namespace

HBITMAP CQuendalApp::LoadResourceBitmap(CWnd* pWnd, UINT nID)
{
    const int kind = CResourceDataSet::KindOfResource(nID);
    if (!kind)
        return nullptr;
    CResourceDataSet resources;
    ReadResourceTable(GetProgramFolder(), resources);
    const CResourceDataSet* table = &resources;
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
