// CDib: a picture taken from the clipboard (a CF_DIB memory block) and saved
// as a JPEG file for the editor to attach.
#pragma once

#include "html/DibData.h"

#include <vector>

class CDib
{
public:
    CDib() = default;
    virtual ~CDib() = default;
    CDib(const CDib&) = delete;
    CDib& operator=(const CDib&) = delete;

    // Writes the picture as a JPEG file of quality 0 (high) to 2 (low). A
    // picture that cannot be loaded gives false at once; a failure to convert
    // or to write is shown in a message box and gives false.
    bool SaveJpegFile(HGLOBAL hDib, const char* pszPath, int nQuality);

    // The loaded picture as red, green and blue planes, rows top to bottom.
    // Raises CDibException for a picture it cannot read.
    void FillColorPlanes(std::vector<BYTE>& red, std::vector<BYTE>& green, std::vector<BYTE>& blue) const;
    // The loaded picture as a JPEG file in memory; false with the reason in
    // strError when it cannot be converted.
    bool ConvertToJpeg(int nQuality, std::vector<BYTE>& jpeg, CString& strError) const;

    CDibData& Data() { return m_data; }

private:
    CDibData m_data;
};
