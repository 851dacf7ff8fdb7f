// Pictures decoded ahead of time for the browser, whose image library hands
// back 32-bit colour and loses the palette indices. demo-web-bake runs the
// desktop loader over the whole start-up and writes what it gives; the web
// build reads those files in place of decoding.
//
// One file per picture as the show loads it: 16-bit little-endian width and
// height, then width * height indices, row after row.
#pragma once

#include "gfx2d/picture.h"

#include <string>

// The file name for `path` loaded as it is (grayscale) or converted to the
// palette staged in `screen`: the same file converted under another palette
// is another picture.
std::string bakedPictureName(const char* path, const Screen& screen, bool grayscale);

// Writes the picture's indices to `file`; false when it cannot be written.
bool writeBakedPicture(const std::string& file, const Picture& picture);
// Frames and fills the picture from `file`; false when the file is missing,
// shorter or longer than its header says.
bool readBakedPicture(const std::string& file, Picture& picture);
