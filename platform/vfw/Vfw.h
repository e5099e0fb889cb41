#pragma once

// Our stand-in for the part of Video for Windows that the movie image calls, over FFmpeg:
// the video stream of an AVI file on disk (AVIFile), frames decoded by index into packed
// 32-bit bitmaps, and DrawDib copying such a frame into a memory bitmap. Declarations
// and constants are our own; the calls keep the Windows shape so that the movie code
// reads like the steps it follows.
//
// Everything lives in namespace vfw: the memory bitmap and its device context share
// their Windows names with the GDI stand-in of the font code, and the two must not meet.
//
// Frames are 32 bits per pixel, BI_RGB, bytes B, G, R, 255 in memory (a little-endian
// 0xFFRRGGBB), rows bottom-up (the first row in memory is the bottom of the picture) as
// Video for Windows delivers them, width x 4 bytes per row.
//
// All of it is for one thread at a time (the main thread); handles are owned by the
// caller and each is released once with the matching call.

#include <cstdint>

namespace vfw {

class AviStream;
class AviFrameDecoder;
struct DrawDibContext;
struct MemoryDC;
struct DibSection;

using PAVISTREAM = AviStream*;
using PGETFRAME = AviFrameDecoder*;
using HDRAWDIB = DrawDibContext*;
using HDC = MemoryDC*;
using HBITMAP = DibSection*;

// A four-character code as the AVI format writes it ('v','i','d','s' -> "vids").
constexpr std::uint32_t MakeFourCC(char a, char b, char c, char d) {
  return std::uint32_t(std::uint8_t(a)) | std::uint32_t(std::uint8_t(b)) << 8 |
         std::uint32_t(std::uint8_t(c)) << 16 | std::uint32_t(std::uint8_t(d)) << 24;
}

constexpr std::uint32_t streamtypeVIDEO = MakeFourCC('v', 'i', 'd', 's');
constexpr std::uint32_t OF_READ = 0;  // the only open mode: movies are only read

// Results of the AVIStream calls: 0 on success, else one of these.
constexpr std::int32_t AVIERR_OK = 0;
constexpr std::int32_t AVIERR_BADFORMAT = std::int32_t(0x80044066);    // not an AVI we can read
constexpr std::int32_t AVIERR_MEMORY = std::int32_t(0x80044067);
constexpr std::int32_t AVIERR_BADPARAM = std::int32_t(0x8004406A);     // null or bad argument
constexpr std::int32_t AVIERR_FILEOPEN = std::int32_t(0x8004406F);     // missing or unreadable
constexpr std::int32_t AVIERR_NOCOMPRESSOR = std::int32_t(0x80044071); // no decoder for it
constexpr std::int32_t AVIERR_NODATA = std::int32_t(0x80044073);       // no video frames

constexpr std::uint32_t BI_RGB = 0;          // uncompressed
constexpr std::uint32_t DIB_RGB_COLORS = 0;  // CreateDIBSection usage

struct BITMAPINFOHEADER {
  std::uint32_t biSize = 40;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // positive: rows bottom-up; negative: top-down
  std::uint16_t biPlanes = 1;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = BI_RGB;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;  // colour-table entries after the header (none for 32 bits)
  std::uint32_t biClrImportant = 0;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "packed bitmaps start with a 40-byte header");

// What AVIStreamInfoA fills for the video stream. One frame lasts dwScale / dwRate
// seconds; dwLength is the frame count; rcFrame is (0, 0, width, height).
struct AVISTREAMINFOA {
  struct Rect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
  };
  std::uint32_t fccType = 0;     // streamtypeVIDEO
  std::uint32_t fccHandler = 0;  // the codec's four-character code as stored in the file
  std::uint32_t dwScale = 0;
  std::uint32_t dwRate = 0;
  std::uint32_t dwStart = 0;
  std::uint32_t dwLength = 0;
  Rect rcFrame;
  char szName[64] = {};
};

// Library set-up and shut-down; counted, each AVIFileInit is matched by an AVIFileExit.
void AVIFileInit();
void AVIFileExit();

// Opens the first video stream of the AVI file at the path as given (no case folding).
// fccType must be streamtypeVIDEO, param 0 and mode OF_READ; clsidHandler is ignored.
// On failure *stream is null and the result says why; a stream without frames, a frame
// size of 0 or above 4096 on a side, or a codec FFmpeg cannot decode are refused here.
std::int32_t AVIStreamOpenFromFileA(PAVISTREAM* stream, const char* file, std::uint32_t fccType,
                                    std::int32_t param, std::uint32_t mode, void* clsidHandler);

// Copies min(size, sizeof(AVISTREAMINFOA)) bytes of the stream's information.
std::int32_t AVIStreamInfoA(PAVISTREAM stream, AVISTREAMINFOA* info, std::int32_t size);

// The number of frames; 0 for a null stream.
std::int32_t AVIStreamLength(PAVISTREAM stream);

// The start time of frame `sample` in milliseconds (sample x 1000 x scale / rate, to the
// nearest); -1 for a null stream or a negative sample.
std::int32_t AVIStreamSampleToTime(PAVISTREAM stream, std::int32_t sample);

// A frame decoder for the stream (it keeps the stream alive until closed). wanted is
// null for the default format (32 bits, bottom-up), or a header asking for 32 bits,
// BI_RGB and the frame's width, with a height of +height (bottom-up) or -height
// (top-down); any other request gives null, as does a null stream.
PGETFRAME AVIStreamGetFrameOpen(PAVISTREAM stream, const BITMAPINFOHEADER* wanted);

// Frame `position` (0 to length - 1) as a packed bitmap: the header, then the pixels
// (biSize + biClrUsed x 4 bytes from its start). The memory belongs to the decoder and
// stays valid until the next AVIStreamGetFrame or AVIStreamGetFrameClose on it. Null for
// a position out of range or a frame that cannot be decoded. Sequential positions
// decode on without seeking; any other position seeks to the nearest key frame before
// it and decodes forward.
BITMAPINFOHEADER* AVIStreamGetFrame(PGETFRAME getFrame, std::int32_t position);

std::int32_t AVIStreamGetFrameClose(PGETFRAME getFrame);

// Drops the caller's reference; the stream closes when no decoder uses it any longer.
// Returns the references left.
std::uint32_t AVIStreamRelease(PAVISTREAM stream);

// DrawDib: copying frames into the bitmap selected into a memory device context.
HDRAWDIB DrawDibOpen();
bool DrawDibClose(HDRAWDIB drawDib);

// Copies the source rectangle (x, y from the top-left corner of the picture) of a 32-bit
// BI_RGB bitmap (header and pixels apart; bottom-up or top-down) to the destination
// rectangle of the 32-bit bitmap selected into dc, clipped to both bitmaps. The
// rectangles must have the same size (a destination width or height of -1 takes the
// source's): no stretching. False for null handles, no selected bitmap, another format
// or different sizes. flags are ignored.
bool DrawDibDraw(HDRAWDIB drawDib, HDC dc, int xDst, int yDst, int dxDst, int dyDst,
                 const BITMAPINFOHEADER* source, const void* bits, int xSrc, int ySrc, int dxSrc,
                 int dySrc, unsigned flags);

// The memory bitmap that DrawDibDraw draws into.
HDC CreateCompatibleDC(HDC dc);  // dc is ignored (pass null)
bool DeleteDC(HDC dc);           // the selected bitmap is not deleted

// A 32-bit BI_RGB bitmap of header->biWidth x |biHeight| pixels, cleared to zero, rows
// bottom-up for a positive height and top-down for a negative one; *bits receives its
// pixels (width x 4 bytes per row). dc, section and offset are ignored. Null (and *bits
// null) for other formats or a size of 0.
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFOHEADER* header, std::uint32_t usage, void** bits,
                         void* section, std::uint32_t offset);

// Selects the bitmap into the device context; returns the one selected before (or null).
HBITMAP SelectObject(HDC dc, HBITMAP bitmap);

// Frees the bitmap and its pixels; a device context it is selected into is left with no
// bitmap.
bool DeleteObject(HBITMAP bitmap);

}  // namespace vfw
