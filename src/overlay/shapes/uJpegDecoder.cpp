#include "uJpegDecoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

namespace {

// libjpeg reports errors through error_exit, which by default ends the
// process; this one jumps back into the decoder instead.
struct JpegErrorManager {
  jpeg_error_mgr Base;
  std::jmp_buf Jump;
  char Message[JMSG_LENGTH_MAX];
  bool Truncated;
};

void OnJpegError(j_common_ptr Info) {
  auto* Err = reinterpret_cast<JpegErrorManager*>(Info->err);
  Info->err->format_message(Info, Err->Message);
  std::longjmp(Err->Jump, 1);
}

// Warnings are otherwise silent; running out of data is remembered, since
// libjpeg would pad the missing rows with grey and call it a success.
void OnJpegMessage(j_common_ptr Info, int Level) {
  auto* Err = reinterpret_cast<JpegErrorManager*>(Info->err);
  if (Level < 0 && Info->err->msg_code == JWRN_JPEG_EOF) Err->Truncated = true;
}

// Kept free of C++ objects with destructors: a longjmp out of libjpeg lands
// in this frame. Returns 0 on success.
int DecodeInto(jpeg_decompress_struct* Info, JpegErrorManager* Err, const uint8_t* Data, size_t Size,
               TDecodedPicture* Out, const char** Reason) {
  if (setjmp(Err->Jump)) {
    *Reason = Err->Message;
    return 1;
  }
  jpeg_create_decompress(Info);
  jpeg_mem_src(Info, const_cast<unsigned char*>(Data), static_cast<unsigned long>(Size));
  jpeg_read_header(Info, TRUE);
  if (!PictureSizeAllowed(Info->image_width, Info->image_height)) {
    *Reason = "picture dimensions out of range";
    return 2;
  }
  Info->out_color_space = JCS_RGB;
  jpeg_start_decompress(Info);
  if (Info->output_components != 3) {
    *Reason = "unsupported colour layout";
    return 2;
  }
  const size_t Row = static_cast<size_t>(Info->output_width) * 3;
  // The caller reserved the memory; resize cannot throw past the jump buffer.
  Out->Rgb.resize(Row * Info->output_height);
  while (Info->output_scanline < Info->output_height) {
    JSAMPROW Line = Out->Rgb.data() + Row * Info->output_scanline;
    if (jpeg_read_scanlines(Info, &Line, 1) != 1) break;
    if (Err->Truncated) break;
  }
  if (Err->Truncated || Info->output_scanline < Info->output_height) {
    *Reason = "picture data ends early";
    return 3;
  }
  jpeg_finish_decompress(Info);
  if (Err->Truncated) {
    *Reason = "picture data ends early";
    return 3;
  }
  Out->Width = static_cast<int>(Info->output_width);
  Out->Height = static_cast<int>(Info->output_height);
  return 0;
}

// Reads just the frame header to learn the size, so the pixel memory can be
// taken (and its failure caught) outside the jump-protected frame.
int PeekSize(jpeg_decompress_struct* Info, JpegErrorManager* Err, const uint8_t* Data, size_t Size,
             long long* Pixels, const char** Reason) {
  if (setjmp(Err->Jump)) {
    *Reason = Err->Message;
    return 1;
  }
  jpeg_create_decompress(Info);
  jpeg_mem_src(Info, const_cast<unsigned char*>(Data), static_cast<unsigned long>(Size));
  jpeg_read_header(Info, TRUE);
  *Pixels = static_cast<long long>(Info->image_width) * Info->image_height;
  return 0;
}

void InitError(jpeg_decompress_struct& Info, JpegErrorManager& Err) {
  std::memset(&Info, 0, sizeof Info);
  std::memset(&Err, 0, sizeof Err);
  Info.err = jpeg_std_error(&Err.Base);
  Err.Base.error_exit = OnJpegError;
  Err.Base.emit_message = OnJpegMessage;
  Err.Base.output_message = [](j_common_ptr) {};
}

}  // namespace

bool DecodeJpegMemory(const uint8_t* Data, size_t Size, TDecodedPicture& Out, std::string& Error) {
  Out = TDecodedPicture();
  if (!Data || Size == 0) {
    Error = "empty file";
    return false;
  }
  const char* Reason = nullptr;
  long long Pixels = 0;
  {
    jpeg_decompress_struct Info;
    JpegErrorManager Err;
    InitError(Info, Err);
    int Rc = PeekSize(&Info, &Err, Data, Size, &Pixels, &Reason);
    jpeg_destroy_decompress(&Info);
    if (Rc != 0) {
      Error = Reason ? Reason : "not a JPEG picture";
      return false;
    }
  }
  if (Pixels <= 0 || Pixels > kMaxPicturePixels) {   // the sides are checked while decoding
    Error = "picture dimensions out of range";
    return false;
  }
  try {
    Out.Rgb.reserve(static_cast<size_t>(Pixels) * 3);
  } catch (const std::bad_alloc&) {
    Error = "out of memory for the picture";
    return false;
  }
  jpeg_decompress_struct Info;
  JpegErrorManager Err;
  InitError(Info, Err);
  int Rc = DecodeInto(&Info, &Err, Data, Size, &Out, &Reason);
  jpeg_destroy_decompress(&Info);
  if (Rc != 0) {
    Error = Reason ? Reason : "picture cannot be decoded";
    Out = TDecodedPicture();
    return false;
  }
  return true;
}

bool DecodeJpegFile(const std::string& FileName, TDecodedPicture& Out, std::string& Error) {
  std::vector<uint8_t> Data;
  if (!ReadWholeFile(FileName, Data, Error)) return false;
  return DecodeJpegMemory(Data.data(), Data.size(), Out, Error);
}
