#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "ktora/string/C_WString.h"

// Desktop helpers for the UI thread: boxes, centring, the folder picker, colour text, a frame
// counter, bitmaps and pictures. MakeStr and MsgBox format into one static buffer, so they
// are not thread-safe. Results: 1 done, 0 not, unless a comment says otherwise.
namespace ktora {

// Top-left position that centres a box of this size on the primary screen.
SIZE GetWindowCenter(int width, int height);
// Lets the user pick a folder; 1 and *path set when one with a file-system path was chosen,
// else 0 with *path untouched. With an owner the picker is modal to it (the owner is disabled
// while it is open).
int BrowsFolder(C_WString* path, wchar_t* const title, HWND owner = nullptr);
// A formatted warning box captioned "お知らせ" (text cut to 519 characters).
void MsgBox(wchar_t const* format, ...);
// Formats into one shared static buffer of 520 characters (cut to 519) and returns it.
wchar_t* MakeStr(wchar_t const* format, ...);
void ColorPrint(HDC const& dc, int x, int y, unsigned long color, wchar_t const* format, ...);
void ColorPrintBold(HDC const& dc, int x, int y, unsigned long edgeColor, unsigned long color,
                    wchar_t const* format, ...);
// Call once per frame: the number of calls in the last completed second.
unsigned long GetFrameRate();
int GetScreenBpp();
int ExitinAllWindows(unsigned int flags, unsigned long reason);
int OpenCDTray(wchar_t const* drive);
int CloseCDTray(wchar_t const* drive);
int IsExistFile(C_WString const& path);
// Writes what the device context shows as a Windows bitmap file.
int CreateBitmapFromDC(C_WString const& path, HDC const& dc, int width, int height,
                       int bitsPerPixel, int copyWidth, int copyHeight, int reserved);
void PaintImage(HDC const& dc, SIZE const& position, SIZE const& size, IPicture* const& picture);
void DrawImage(HDC const& dc, IPicture* picture, int x, int y, int width, int height, int sourceX,
               int sourceY);
void DrawScaleImage(HDC const& dc, IPicture* picture, int x, int y, int width, int height,
                    int sourceX, int sourceY, int sourceWidth, int sourceHeight);

} // namespace ktora
