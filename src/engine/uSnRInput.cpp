#include "uSnRInput.h"
#include <algorithm>
#include <atomic>
#include <utility>
#include <vector>
#include "uSnRFileOps.h"
#include "win/Handles.h"

namespace {

// A window of this size keeps the process's memory small whatever the file's size,
// and still lets a regular-expression match run over many MiB.
constexpr size_t kDefaultWindow = 64 << 20;
// Bytes copied from windows left behind are mapped this much at a time, beside the
// window itself.
constexpr size_t kCopyPiece = 16 << 20;
// Files up to this size are read with one call: under wine a mapping and its view
// cost twice the rest of opening and reading a small file.
constexpr uint64_t kReadWhole = 64 << 10;

std::atomic<size_t> defaultWindow{0};

size_t allocationGranularity() {
  static const size_t granularity = [] {
    SYSTEM_INFO info;
    ::GetSystemInfo(&info);
    return static_cast<size_t>(info.dwAllocationGranularity ? info.dwAllocationGranularity : 65536);
  }();
  return granularity;
}

// A small file's bytes, read at once (held before the input that shows them).
struct OwnedBytes {
  std::vector<uint8_t> bytes;
};
class BufferInput : private OwnedBytes, public TSnRMemoryInput {
public:
  explicit BufferInput(std::vector<uint8_t> b) : OwnedBytes{std::move(b)}, TSnRMemoryInput(bytes.data(), bytes.size()) {}
};

// A larger file, through views of one read-only mapping. A view starts at a
// multiple of the allocation granularity, so it may begin a little before the
// bytes asked for.
class MappedInput : public TSnRInput {
public:
  MappedInput(TSnRFileOps& ops, win::KernelHandle mapping, uint64_t size)
      : TSnRInput(size), ops_(ops), mapping_(std::move(mapping)) {}

protected:
  std::unique_ptr<View> Map(uint64_t offset, size_t size) override {
    const uint64_t base = offset - offset % allocationGranularity();
    const size_t lead = static_cast<size_t>(offset - base);
    win::MappedView view(ops_.MapViewAt(mapping_.get(), base, lead + size));
    if (!view) return nullptr;
    auto v = std::make_unique<Mapped>();
    v->Data = static_cast<const uint8_t*>(view.get()) + lead;
    v->view = std::move(view);
    return v;
  }

private:
  struct Mapped : View {
    win::MappedView view;
  };
  TSnRFileOps& ops_;
  win::KernelHandle mapping_;
};

}  // namespace

TSnRInput::TSnRInput(uint64_t Size, size_t WindowBytes) : size_(Size), windowBytes_(std::max<size_t>(WindowBytes, 1)) {}

TSnRInput::~TSnRInput() = default;

size_t TSnRInput::DefaultWindow() {
  const size_t set = defaultWindow.load();
  return set ? set : kDefaultWindow;
}

void TSnRInput::SetDefaultWindow(size_t Bytes) { defaultWindow.store(Bytes); }

const TSnRInput::Window& TSnRInput::Move(uint64_t Offset, size_t Min) {
  Offset = std::min(Offset, size_);
  const size_t n = static_cast<size_t>(std::min<uint64_t>(std::max(windowBytes_, Min), size_ - Offset));
  // The bytes at hand serve when the window would end where they end: the last
  // window of a file, or the whole of a small one.
  if (view_ && Offset >= viewOffset_ && Offset + n == viewOffset_ + viewSize_) {
    window_ = {view_->Data + (Offset - viewOffset_), Offset, n};
    return window_;
  }
  window_ = Window();
  view_.reset();  // first: at most one window is mapped at a time
  viewSize_ = 0;
  if (n) {
    view_ = Map(Offset, n);
    if (!view_) throw snr::ViewReadError();
    viewOffset_ = Offset;
    viewSize_ = n;
  }
  static const uint8_t none = 0;  // where an empty window points
  window_ = {view_ ? view_->Data : &none, Offset, n};
  return window_;
}

void TSnRInput::Copy(uint64_t Begin, uint64_t End, const Piece& Fn) {
  End = std::min(End, size_);
  while (Begin < End) {
    size_t n;
    if (Begin >= window_.Offset && Begin < window_.End()) {
      n = static_cast<size_t>(std::min(End, window_.End()) - Begin);
      const uint8_t* p = window_.Data + (Begin - window_.Offset);
      auto call = [&] { Fn(p, n); };
      Read(call);
    } else {
      uint64_t until = std::min<uint64_t>(End, Begin + kCopyPiece);
      if (Begin < window_.Offset) until = std::min(until, window_.Offset);
      n = static_cast<size_t>(until - Begin);
      const std::unique_ptr<View> v = Map(Begin, n);
      if (!v) throw snr::ViewReadError();
      struct Handing {
        Range& range;
        ~Handing() { range = Range(); }
      } handing{copying_};
      copying_ = {v->Data, n};
      auto call = [&] { Fn(v->Data, n); };
      if (!snr::RunReadingView(v->Data, n, call)) throw snr::ViewReadError();
    }
    Begin += n;
  }
}

bool TSnRInput::Range::holds(const void* p, size_t n) const {
  const uint8_t* q = static_cast<const uint8_t*>(p);
  return data && q >= data && n <= size && static_cast<size_t>(q - data) <= size - n;
}

bool TSnRInput::Holds(const void* P, size_t N) const {
  return Range{window_.Data, window_.Size}.holds(P, N) || copying_.holds(P, N);
}

std::unique_ptr<TSnRInput> TSnRInput::OpenFile(TSnRFileOps& Ops, HANDLE File, uint64_t Size) {
  if (!Size) return nullptr;
  if (Size <= kReadWhole) {
    std::vector<uint8_t> bytes(static_cast<size_t>(Size));
    DWORD got = 0;
    if (!::ReadFile(File, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) || got == 0) return nullptr;
    bytes.resize(got);
    return std::unique_ptr<TSnRInput>(new BufferInput(std::move(bytes)));
  }
  win::KernelHandle mapping(::CreateFileMappingA(File, nullptr, PAGE_READONLY, 0, 0, nullptr));
  if (!mapping) return nullptr;
  std::unique_ptr<TSnRInput> in(new MappedInput(Ops, std::move(mapping), Size));
  try {
    in->Move(0);
  } catch (const snr::ViewReadError&) {
    return nullptr;
  }
  return in;
}

TSnRMemoryInput::TSnRMemoryInput(const void* Data, size_t Size, size_t WindowBytes)
    : TSnRInput(Size, WindowBytes), data_(static_cast<const uint8_t*>(Data)) {}

std::unique_ptr<TSnRInput::View> TSnRMemoryInput::Map(uint64_t Offset, size_t) {
  auto v = std::make_unique<View>();
  v->Data = data_ + Offset;
  return v;
}
