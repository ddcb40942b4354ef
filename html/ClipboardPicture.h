// The picture on the clipboard written as a file for the editor to attach.
#pragma once

#include <windows.h>

// Picture formats of the clipboard-picture dialog.
enum { kClipboardPictureBmp = 0, kClipboardPictureJpeg = 1 };

// Takes the clipboard's device-independent bitmap (CF_DIB; the platform makes
// one from a CF_BITMAP) and writes it as BMP or as JPEG of quality 0 (high)
// to 2 (low). False when the clipboard cannot be opened, holds no picture, or
// the picture cannot be written.
bool SaveClipboardPicture(HWND hOwner, const char* pszPath, int nFormat, int nQuality);
