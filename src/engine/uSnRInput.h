// The input of one job, seen through a window that slides through it: a matcher
// holds at most a window's bytes at a time, so a file of any size is read in
// bounded memory and address space. Sizes and offsets are 64-bit.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include "uSnRViewGuard.h"

class TSnRFileOps;

class TSnRInput {
public:
  // The bytes at hand: those of the input from Offset on, Size of them, at Data.
  struct Window {
    const uint8_t* Data = nullptr;
    uint64_t Offset = 0;
    size_t Size = 0;
    uint64_t End() const { return Offset + Size; }
  };
  using Piece = std::function<void(const uint8_t* Data, size_t Size)>;

  // WindowBytes: the most bytes a window holds unless a caller asks for more.
  TSnRInput(uint64_t Size, size_t WindowBytes = DefaultWindow());
  virtual ~TSnRInput();
  TSnRInput(const TSnRInput&) = delete;
  TSnRInput& operator=(const TSnRInput&) = delete;

  uint64_t Size() const { return size_; }
  const Window& Current() const { return window_; }
  bool AtEnd() const { return window_.End() == size_; }  // the window reaches the input's end

  // Moves the window to the input from Offset on: the window's size or Min bytes,
  // whichever is more, fewer only at the input's end. Pointers into the window
  // before are invalid afterwards. Raises snr::ViewReadError when the bytes
  // cannot be mapped.
  const Window& Move(uint64_t Offset, size_t Min = 0);

  // Runs Fn so that a read fault in the window raises snr::ViewReadError (Fn is
  // left at the faulting read, as snr::RunReadingView tells).
  template <class F>
  void Read(F& Fn) const {
    if (!snr::RunReadingView(window_.Data, window_.Size, Fn)) throw snr::ViewReadError();
  }

  // Hands the input's bytes [Begin, End) to Fn in pieces, read as Read reads; the
  // window stays where it is (the bytes may lie in windows already left behind).
  void Copy(uint64_t Begin, uint64_t End, const Piece& Fn);

  // P is the window's byte at Offset.
  bool IsAt(const void* P, uint64_t Offset) const {
    return Offset >= window_.Offset && Offset - window_.Offset <= window_.Size &&
           P == window_.Data + (Offset - window_.Offset);
  }
  // [P, P + N) lies in the window or in the piece that Copy is handing over.
  bool Holds(const void* P, size_t N) const;

  // The window size of new inputs. A test seam: tests make it small, so that small
  // files cross many window boundaries; 0 restores the default.
  static size_t DefaultWindow();
  static void SetDefaultWindow(size_t Bytes);

  // The file, open for reading, of Size bytes (more than 0): a small file read at
  // once, a larger one through views of a mapping, the first window made. Null
  // when the file cannot be read or mapped.
  static std::unique_ptr<TSnRInput> OpenFile(TSnRFileOps& Ops, HANDLE File, uint64_t Size);

protected:
  // Bytes of the input in memory for as long as the object lives.
  struct View {
    virtual ~View() = default;
    const uint8_t* Data = nullptr;
  };
  // Makes Size bytes (more than 0) from Offset readable; null on failure.
  virtual std::unique_ptr<View> Map(uint64_t Offset, size_t Size) = 0;

private:
  struct Range {
    const uint8_t* data = nullptr;
    size_t size = 0;
    bool holds(const void* p, size_t n) const;
  };
  const uint64_t size_;
  const size_t windowBytes_;
  std::unique_ptr<View> view_;  // the window's bytes, and maybe more up to the input's end
  uint64_t viewOffset_ = 0;
  size_t viewSize_ = 0;
  Window window_;
  Range copying_;
};

// Bytes in memory (not copied: they must outlive the input).
class TSnRMemoryInput : public TSnRInput {
public:
  TSnRMemoryInput(const void* Data, size_t Size, size_t WindowBytes = DefaultWindow());

protected:
  std::unique_ptr<View> Map(uint64_t Offset, size_t Size) override;

private:
  const uint8_t* data_;
};
