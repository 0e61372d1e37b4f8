// JPEG decoding for picture shapes. A corrupt, truncated or oversized file
// fails that one picture and never ends the process.
#pragma once
#include "uDecodedPicture.h"

// True and Out filled on success; false with a reason in Error otherwise
// (Out is then left empty).
bool DecodeJpegMemory(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error);
bool DecodeJpegFile(const std::string& FileName, TDecodedPicture& Out, std::string& Error);
