// BMP decoding from a bounded buffer. Every size and offset a header states is
// checked against the bytes that are there before any pixel is read, so a cut,
// damaged or hostile file fails that one picture and never reads past its end.
// Handled: the core and the 40, 52, 56, 108 and 124 byte info headers; 1, 4, 8,
// 16, 24 and 32 bits per pixel; no compression, bit fields, RLE8 and RLE4.
#pragma once
#include "uDecodedPicture.h"

// A BMP file: file header, info header, palette, pixels at the stated offset.
bool DecodeBmpFile(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error);
// A packed DIB, as a bitmap resource holds it: info header, palette, pixels.
bool DecodePackedDib(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error);
// True when the packed DIB of an icon image (colour rows, then the AND mask;
// the header's height counts both) lies wholly within Size bytes.
bool IconDibFits(const uint8_t* Data, size_t Size, std::string& Error);
