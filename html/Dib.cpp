#include "html/Dib.h"

#include "core/MiscUtil.h"
#include "html/DibException.h"
#include "html/JpegEncoder.h"

#include <new>

namespace {

const char kUnsupported[] = "この形式のビットマップには対応していません";
const char kJpegSaveError[] = "JPEGファイル保存中にエラーが発生しました。[%s]";

// The frame header of a JPEG holds each size in 16 bits.
const int kMaxJpegSide = 65535;
const unsigned long long kMaxPixels = 64ULL * 1024 * 1024;

// One colour of a masked 16- or 32-bit pixel, scaled to 8 bits by its top bits.
BYTE MaskedChannel(DWORD value, DWORD mask)
{
    if (mask == 0)
        return 0;
    int shift = 0;
    while (!((mask >> shift) & 1))
        ++shift;
    int width = 0;
    while (shift + width < 32 && ((mask >> (shift + width)) & 1))
        ++width;
    DWORD v = (value & mask) >> shift;
    if (width < 8)
        v <<= 8 - width;
    else if (width > 8)
        v >>= width - 8;
    return static_cast<BYTE>(v);
}

} // namespace

void CDib::FillColorPlanes(std::vector<BYTE>& red, std::vector<BYTE>& green, std::vector<BYTE>& blue) const
{
    const CDibData& dib = m_data;
    const int width = dib.Width();
    const int height = dib.Height();
    const int bits = dib.BitCount();
    if (width <= 0 || height <= 0 || width > kMaxJpegSide || height > kMaxJpegSide ||
        static_cast<unsigned long long>(width) * static_cast<unsigned long long>(height) > kMaxPixels)
        throw CDibException(CDibException::badSize, kUnsupported);
    if (dib.Compression() == BI_RLE8 || dib.Compression() == BI_RLE4)
        throw CDibException(CDibException::unsupported, kUnsupported);

    const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
    red.assign(count, 0);
    green.assign(count, 0);
    blue.assign(count, 0);
    const RGBQUAD* table = dib.ColorTable();
    const int colorCount = dib.GetColorCount();
    const DWORD* masks = dib.Masks();
    const bool masked32 = bits == 32 && dib.Compression() == BI_BITFIELDS;

    for (int row = 0; row < height; ++row) {
        // Plane row 0 is the top of the picture, which a bottom-up DIB stores last.
        const int stored = dib.IsTopDown() ? row : height - 1 - row;
        const BYTE* src = dib.Pixels() + static_cast<size_t>(stored) * dib.Stride();
        const size_t at = static_cast<size_t>(row) * static_cast<size_t>(width);
        for (int x = 0; x < width; ++x) {
            BYTE r = 0, g = 0, b = 0;
            if (bits <= 8) {
                int index = 0;
                if (bits == 1)
                    index = (src[x / 8] >> (7 - x % 8)) & 1;
                else if (bits == 4)
                    index = (x % 2 == 0) ? src[x / 2] >> 4 : src[x / 2] & 0x0F;
                else
                    index = src[x];
                // An index past the table shows black.
                if (index < colorCount) {
                    r = table[index].rgbRed;
                    g = table[index].rgbGreen;
                    b = table[index].rgbBlue;
                }
            } else if (bits == 16 || masked32) {
                DWORD value = bits == 16 ? static_cast<DWORD>(src[2 * x] | (src[2 * x + 1] << 8))
                                         : static_cast<DWORD>(src[4 * x] | (src[4 * x + 1] << 8) |
                                                              (src[4 * x + 2] << 16) |
                                                              (static_cast<DWORD>(src[4 * x + 3]) << 24));
                r = MaskedChannel(value, masks[0]);
                g = MaskedChannel(value, masks[1]);
                b = MaskedChannel(value, masks[2]);
            } else {
                const int step = bits / 8;
                b = src[step * x];
                g = src[step * x + 1];
                r = src[step * x + 2];
            }
            red[at + x] = r;
            green[at + x] = g;
            blue[at + x] = b;
        }
    }
}

bool CDib::ConvertToJpeg(int nQuality, std::vector<BYTE>& jpeg, CString& strError) const
{
    std::vector<BYTE> red, green, blue;
    try {
        FillColorPlanes(red, green, blue);
    } catch (const CDibException& e) {
        strError = e.GetMessage();
        return false;
    }
    CJpegEncoder encoder;
    encoder.initialise(nQuality, red.data(), green.data(), blue.data());
    encoder.SetSize(m_data.Width(), m_data.Height());
    encoder.SetDensity(1, 72, 72);
    encoder.SetComment("this is test data");
    if (encoder.encode() != 0) {
        strError = encoder.GetLastError().c_str();
        return false;
    }
    jpeg = encoder.TakeOutput();
    return true;
}

bool CDib::SaveJpegFile(HGLOBAL hDib, const char* pszPath, int nQuality)
{
    try {
        if (!m_data.LoadFromHandle(hDib))
            return false;
    } catch (const CDibException&) {
        return false;
    }

    CString error;
    try {
        std::vector<BYTE> jpeg;
        if (!ConvertToJpeg(nQuality, jpeg, error)) {
            AfxMessageBox(FormatString(kJpegSaveError, error.GetString()));
            return false;
        }
        CFile file(pszPath, CFile::modeCreate | CFile::modeWrite | CFile::typeBinary);
        file.Write(jpeg.data(), static_cast<UINT>(jpeg.size()));
        file.Close();
    } catch (const CFileException& e) {
        char text[257];
        if (!e.GetErrorMessage(text, sizeof(text)))
            text[0] = '\0';
        AfxMessageBox(text);
        DeleteFileA(pszPath);
        return false;
    } catch (const std::bad_alloc&) {
        AfxMessageBox(FormatString(kJpegSaveError, GetSystemErrorText(ERROR_NOT_ENOUGH_MEMORY).GetString()));
        return false;
    }
    return true;
}
