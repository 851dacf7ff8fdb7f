// The chunk layout of a PNG file, checked before the image library decodes it.
#pragma once

#include <cstddef>
#include <cstdint>

// True unless `bytes` start with the PNG signature and a chunk before IEND
// (or the missing IEND) runs past the end: each chunk's 4-byte length, type,
// data and CRC must lie within the file. The image library's reader ignores
// short reads, so a chunk claiming more bytes than the file holds has the
// decoder read on past the end, up to 2 GB, before it gives up: a picture
// damaged so would stall start-up for a minute.
bool pngChunksFit(const uint8_t* bytes, size_t size);
