// An 8-bit picture in one packed array of palette indices, loaded once.
#pragma once

#include "core/data_files.h"
#include "core/screen.h"

#include <cstddef>
#include <cstdint>

struct Picture {
    Screen* screen;       // conversion format and blit destination
    uint32_t pixelCount;  // width * height
    uint8_t* pixels;      // pixelCount + 1 bytes, row after row, no padding
    uint16_t width;
    uint16_t height;
    uint16_t left, top;      // where drawPicture puts the top-left corner
    uint16_t right, bottom;  // exclusive bottom-right corner of that rectangle
    uint8_t limit;           // saturation of the additive blits
};

// The longest side a picture may have. The show's largest is 684 pixels;
// at this bound the rows of any decoded surface (4 bytes a pixel at most) stay
// within SDL's 16-bit pitch, and width x height within 32 bits.
constexpr int MaxPictureSide = 4096;

// Loads the PNG file `path`. expectedSize 0 accepts any file size; otherwise
// the file must be exactly that long. Grayscale keeps the file's own 8-bit
// indices, converted maps it to the screen's palette in force. The file must
// be a whole PNG (signature first, end chunk last) of 1..MaxPictureSide pixels
// each way before a decoder sees it: the loader's own for the PNGs our forge
// writes, SDL_image's PNG decoder for any other. Any failure
// ends the program with status 1 and a line naming the file.
void loadPicture(Picture& picture, const char* path, Screen& screen, int32_t expectedSize,
                 bool grayscale);

// A front end whose image library loses the indices (the browser's) supplies
// them itself: it sets the picture up with framePicture and fills its pixels,
// or returns false for a picture it cannot supply, which ends the program as
// an undecodable file does. The file itself is still opened and size-checked.
// Null: the image library decodes.
extern bool (*PictureSource)(Picture& picture, const char* path, const Screen& screen,
                             bool grayscale);
// Sets the picture to width x height, drawn whole at (0, 0), and allocates its
// pixels (zeroed, with the spare byte).
void framePicture(Picture& picture, uint16_t width, uint16_t height);

// Refuses (one-line message, status 1) a picture whose width is not `width`
// or whose height lies outside minHeight..maxHeight: the scenes address
// pictures with fixed strides and would read past a smaller one.
void requirePictureShape(const Picture& picture, const char* path, int width, int minHeight,
                         int maxHeight);

// Loads a picture of the data table with its size, mode and shape checks.
void loadDataPicture(Picture& picture, const DataFile& file, Screen& screen);

// CRC-32 as PNG chunks carry it (the zlib and PNG polynomial), over `count`
// bytes.
uint32_t pngCrc(const uint8_t* bytes, size_t count);

// The PNG "up" filter undone, out[x] = row[x] + above[x] wrapping at 256 for
// x < width, two ways to the same bytes: plainly, a loop a vector unit takes
// many bytes at a time, and by words, four bytes in a 32-bit word where
// there is none (an ARM9). The decoder takes the one that suits the target.
void undoUpFilterPlainly(uint8_t* out, const uint8_t* row, const uint8_t* above, size_t width);
void undoUpFilterByWords(uint8_t* out, const uint8_t* row, const uint8_t* above, size_t width);
