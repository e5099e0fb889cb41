#pragma once

// Our stand-in for the GDI font calls: TrueType faces registered from files, fonts made by
// face name and cell height, their Unicode coverage, single-character measuring, and
// drawing characters into 32-bit memory bitmaps. FreeType does the rasterising. The calls
// keep GDI's shape and values so that the glyph-sheet code reads like the GDI code it
// follows; the declarations are our own and live in namespace gdi, so that they never
// meet the other platform layers' types of the same name.
//
// Text is white-on-black grey coverage whatever quality is asked for. Main thread only.

#include <cstdint>

namespace gdi {

using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using UINT = unsigned int;
using INT = int;
using COLORREF = DWORD;  // 0x00BBGGRR
using WCHAR = char16_t;  // UTF-16, as std::u16string holds it
using LPCSTR = const char*;
using LPCWSTR = const WCHAR*;
using HANDLE = void*;

// Handles. Fonts, bitmaps and brushes are GDI objects: each converts to HGDIOBJ for
// SelectObject and DeleteObject; GetStockObject's brush is turned back with static_cast.
struct HGDIOBJ__ {
  HGDIOBJ__(const HGDIOBJ__&) = delete;
  HGDIOBJ__& operator=(const HGDIOBJ__&) = delete;
  virtual ~HGDIOBJ__() = default;

 protected:
  HGDIOBJ__() = default;
};
struct HFONT__ : HGDIOBJ__ {};
struct HBITMAP__ : HGDIOBJ__ {};
struct HBRUSH__ : HGDIOBJ__ {};
struct HDC__;
using HGDIOBJ = HGDIOBJ__*;
using HFONT = HFONT__*;
using HBITMAP = HBITMAP__*;
using HBRUSH = HBRUSH__*;
using HDC = HDC__*;

struct RECT {
  LONG left, top, right, bottom;  // right and bottom exclusive
};

struct SIZE {
  LONG cx, cy;
};

struct RGBQUAD {
  BYTE rgbBlue, rgbGreen, rgbRed, rgbReserved;
};

struct BITMAPINFOHEADER {
  DWORD biSize;
  LONG biWidth;
  LONG biHeight;  // negative: top-down rows
  WORD biPlanes;
  WORD biBitCount;
  DWORD biCompression;
  DWORD biSizeImage;
  LONG biXPelsPerMeter;
  LONG biYPelsPerMeter;
  DWORD biClrUsed;
  DWORD biClrImportant;
};

struct BITMAPINFO {
  BITMAPINFOHEADER bmiHeader;
  RGBQUAD bmiColors[1];
};

struct WCRANGE {
  WCHAR wcLow;
  USHORT cGlyphs;
};

// A font's Unicode coverage: cRanges ranges follow the header (the array is as long as
// cRanges, not 1; GetFontUnicodeRanges tells the size in bytes).
struct GLYPHSET {
  DWORD cbThis;
  DWORD flAccel;
  DWORD cGlyphsSupported;
  DWORD cRanges;
  WCRANGE ranges[1];
};

constexpr COLORREF CLR_INVALID = 0xFFFFFFFF;
constexpr DWORD GDI_ERROR = 0xFFFFFFFF;

// CreateFontA
constexpr int FW_DONTCARE = 0;
constexpr int FW_NORMAL = 400;
constexpr int FW_MEDIUM = 500;
constexpr int FW_SEMIBOLD = 600;
constexpr int FW_BOLD = 700;
constexpr DWORD ANSI_CHARSET = 0;
constexpr DWORD DEFAULT_CHARSET = 1;
constexpr DWORD SHIFTJIS_CHARSET = 128;
constexpr DWORD HANGUL_CHARSET = 129;
constexpr DWORD GB2312_CHARSET = 134;
constexpr DWORD CHINESEBIG5_CHARSET = 136;
constexpr DWORD OUT_DEFAULT_PRECIS = 0;
constexpr DWORD CLIP_DEFAULT_PRECIS = 0;
constexpr DWORD DEFAULT_QUALITY = 0;
constexpr DWORD ANTIALIASED_QUALITY = 4;
constexpr DWORD CLEARTYPE_QUALITY = 5;
constexpr DWORD DEFAULT_PITCH = 0;
constexpr DWORD VARIABLE_PITCH = 2;

// Memory bitmaps
constexpr DWORD BI_RGB = 0;
constexpr UINT DIB_RGB_COLORS = 0;
constexpr int MM_TEXT = 1;

// Stock objects
constexpr int WHITE_BRUSH = 0;
constexpr int BLACK_BRUSH = 4;

// SetTextAlign: horizontal and vertical reference point of ExtTextOutW's (x, y)
constexpr UINT TA_LEFT = 0;
constexpr UINT TA_TOP = 0;
constexpr UINT TA_RIGHT = 2;
constexpr UINT TA_CENTER = 6;
constexpr UINT TA_BOTTOM = 8;
constexpr UINT TA_BASELINE = 24;

// ExtTextOutW options
constexpr UINT ETO_OPAQUE = 2;
constexpr UINT ETO_CLIPPED = 4;

// Registers every face of a font file so that CreateFontA finds it by family name
// (case-insensitive). Returns the number of faces added, 0 when the file is not a font.
// Registering a file again counts once more; RemoveFontResourceA undoes one registration.
int AddFontResourceA(LPCSTR fileName);
BOOL RemoveFontResourceA(LPCSTR fileName);

// A font by face name. Height > 0 is the cell height in pixels (ascent + descent), < 0 the
// em height, 0 a default cell of 16. Width 0 keeps the natural width, otherwise the
// glyphs are stretched horizontally to that average character width. A weight of 600 or
// more takes the family's bold face, or emboldens the regular one. Italic prefers an
// italic face; escapement, orientation, underline, strike-out, charset, precisions,
// quality and pitch are accepted and ignored (coverage, not the charset, decides which
// characters a face draws).
// The face is found among the registered faces, then the substitutes for well-known
// Windows names ("times new roman" -> Liberation Serif or DejaVu Serif; "verdana",
// "arial", "tahoma" -> DejaVu Sans or Liberation Sans) registered or in the system font
// folders; an unknown name falls back to DejaVu Sans or Liberation Sans and then to any
// registered face, as GDI's font mapper always finds some face. Null only when no face
// at all can be had or the height is beyond 4096 pixels.
HFONT CreateFontA(int height, int width, int escapement, int orientation, int weight,
                  DWORD italic, DWORD underline, DWORD strikeOut, DWORD charSet,
                  DWORD outPrecision, DWORD clipPrecision, DWORD quality,
                  DWORD pitchAndFamily, LPCSTR faceName);

// A memory context. It starts with a 1 x 1 bitmap, an empty default font (text calls fail
// until a font is selected), black text on a white background, TA_TOP | TA_LEFT, MM_TEXT.
// The argument is ignored.
HDC CreateCompatibleDC(HDC dc);
// Deselects everything (objects deleted while selected are freed now) and frees the context.
BOOL DeleteDC(HDC dc);

// A 32-bit BI_RGB bitmap whose zeroed pixels (0x00RRGGBB, blue in the low byte, rows
// width x 4 bytes apart, top-down when biHeight < 0) are handed out through *bits. Other
// depths, compressions and file-mapping sections are refused (null).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits,
                         HANDLE section, DWORD offset);

// Selects a font, bitmap or brush into a context; returns the object of the same kind
// that was selected before, null on failure.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
// Frees a font, bitmap or brush. An object still selected into a context is freed when it
// is deselected or its context is deleted. Stock objects are never freed.
BOOL DeleteObject(HGDIOBJ object);
// BLACK_BRUSH or WHITE_BRUSH; null for other indices.
HGDIOBJ GetStockObject(int index);

// Setters return the previous value (CLR_INVALID or GDI_ERROR for a bad context);
// SetMapMode knows MM_TEXT only and returns 0 for other modes. Mapper flags are kept and
// have no effect.
int SetMapMode(HDC dc, int mode);
COLORREF SetTextColor(HDC dc, COLORREF colour);
COLORREF SetBkColor(HDC dc, COLORREF colour);
UINT SetTextAlign(HDC dc, UINT align);
DWORD SetMapperFlags(HDC dc, DWORD flags);

// The Unicode (UTF-16 BMP) coverage of the selected font. With a null glyphSet returns
// the size in bytes of the whole table; else fills it and returns the size. A table whose
// cbThis is set but smaller than needed is left untouched (0 is returned). 0 on failure.
DWORD GetFontUnicodeRanges(HDC dc, GLYPHSET* glyphSet);

// cx = the sum of the characters' advance widths in pixels, cy = the cell height.
BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int count, SIZE* size);

// Draws the characters with the selected font and text colour into the selected bitmap.
// With TA_TOP | TA_LEFT, (x, y) is the top-left of the first character's cell; the pen
// then moves by each advance (or by dx[i] when given). The text's cells are first filled
// with the background colour (GDI's default opaque background mode); ETO_OPAQUE with a
// rectangle fills that rectangle too; ETO_CLIPPED with a rectangle clips to it. Nothing is
// ever written outside the bitmap. Surrogate pairs draw one character.
BOOL ExtTextOutW(HDC dc, int x, int y, UINT options, const RECT* rect, LPCWSTR text,
                 UINT count, const INT* dx);

// Fills the rectangle (right and bottom exclusive, clipped to the bitmap) with the brush's
// colour. Non-zero on success.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);

}  // namespace gdi
