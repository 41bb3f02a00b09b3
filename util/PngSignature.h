#pragma once
// Recognising PNG data by its first bytes, without decoding it: the icon readers of every
// layer tell PNG-compressed images from bitmaps this way.

#include <cstddef>
#include <cstdint>

namespace pictavo {

// True when the first 8 bytes are the PNG or the MNG file signature.
bool HasPngSignature(const uint8_t* data, size_t size);

// The picture size a PNG file's header chunk gives, read without decoding anything;
// false when the data does not begin with the PNG signature and an IHDR chunk.
bool ReadPngSize(const uint8_t* data, size_t size, uint32_t& width, uint32_t& height);

// The picture's own depth in bits per pixel, from the header chunk: the sample depth
// times the samples of a pixel (a palette picture: its index depth). 0 when the data
// does not begin with a PNG header chunk or names no known colour type. Listings and
// written directories state a PNG image's bit count by this, whatever an entry said.
int ReadPngBitsPerPixel(const uint8_t* data, size_t size);

} // namespace pictavo
