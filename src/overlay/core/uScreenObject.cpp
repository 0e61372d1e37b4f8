#include "uScreenObject.h"
#include <charconv>
#include <cmath>
#include "uInifileHandling.h"
#include "uQzPlaneTools.h"
#include "uQzTransparentInclude.h"
#include "uScreenObjectForm.h"
#include "win/DesktopMetrics.h"

const char* const QZ_TEXT_SEP = "\n\r";
int32_t MeasureUnit = 0;

namespace {

std::string deleteText(int language) { return language == 0 ? "l\xF6schen" : "delete"; }

std::string upper(std::string s) {
  for (char& c : s)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return s;
}

bool fileExists(const std::string& name) {
  DWORD a = ::GetFileAttributesA(name.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string bareFileName(const std::string& name) {
  size_t p = name.find_last_of("\\:");
  return p == std::string::npos ? name : name.substr(p + 1);
}

// Desktop width for relative INI coordinates; never 0.
double desktopWidth() {
  int w = win::desktopMetrics().virtualWidth();
  return w > 0 ? w : 1;
}

int32_t toRelative(int32_t v) { return RoundSat(v / desktopWidth() * 100000); }
int32_t fromRelative(int32_t v) { return RoundSat(v / 100000.0 * desktopWidth()); }

char& decimalSeparator() {
  static char sep = [] {
    char buf[8] = {0};
    return ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, buf, sizeof(buf)) > 0 && buf[0]
               ? buf[0]
               : '.';
  }();
  return sep;
}

// Initialises the twips-per-pixel figure and the pixel unit at start-up.
struct MeasureInit {
  MeasureInit() { SetMeasureSettings(0, 0, 0, 0, 0, "u"); }
} measureInit;

}  // namespace

// ---------------------------------------------------------------- lifecycle

TScreenObject::TScreenObject() {
  SetVisible(true);
  UpdateBounds();
}

TScreenObject::~TScreenObject() {
  SetOwnWindow(false);
  Points.clear();
  Capacity = 0;
  PointCount = 0;
  Region.reset();
}

// ---------------------------------------------------------------- points

void TScreenObject::SetCapacity(int32_t count) {
  if (count < 0) count = 0;
  Points.assign(static_cast<size_t>(count), TPointRec{});   // zeroed, never read unset
  Capacity = count;
  if (PointCount > Capacity) PointCount = Capacity;
}

void TScreenObject::SetPointCount(int32_t count) {
  if (count < 1) count = 1;
  PointCount = count < Capacity ? count : Capacity;
}

TPointRec* TScreenObject::GetPointRec(int32_t index) {
  if (index < 1 || index > Capacity) return nullptr;
  return &Points[static_cast<size_t>(index) - 1];
}

void TScreenObject::BackupPoints() {
  PointsBackup.resize(Points.size());
  for (size_t i = 0; i < Points.size(); ++i) {
    PointsBackup[i].ScreenX = Points[i].ScreenX;
    PointsBackup[i].ScreenY = Points[i].ScreenY;
  }
}

void TScreenObject::UpdatePosition() {
  for (int32_t i = 0; i < PointCount; ++i) RestorePosition(Points[i]);
  UpdateBounds();
}

void TScreenObject::SetVisible(bool value) {
  TScreenElementBaseClass::SetVisible(value);
  if (OwnForm && HasOwnWindow) OwnForm->SetVisible(Visible);
}

void TScreenObject::SetPoint(int32_t index, const TPointRec& rec) {
  TPointRec* p = GetPointRec(index);
  if (!p) return;
  *p = rec;
  UpdatePosition();
  PlaceOwnWindow();
}

void TScreenObject::UpdateBounds() {
  if (PointCount <= 0) {
    Bounds = RECT{0, 0, -10, -10};
    return;
  }
  int64_t l = Points[0].ScreenX, r = l, t = Points[0].ScreenY, b = t;
  for (int32_t i = 1; i < PointCount; ++i) {
    l = std::min<int64_t>(l, Points[i].ScreenX);
    r = std::max<int64_t>(r, Points[i].ScreenX);
    t = std::min<int64_t>(t, Points[i].ScreenY);
    b = std::max<int64_t>(b, Points[i].ScreenY);
  }
  Bounds = RECT{Clamp32(l - 10), Clamp32(t - 10), Clamp32(r + 10), Clamp32(b + 10)};
}

bool TScreenObject::InBounds(POINT pt) {
  return Bounds.left < pt.x && pt.x < Bounds.right && Bounds.top < pt.y && pt.y < Bounds.bottom;
}

void TScreenObject::MoveBy(double dx, double dy) {
  int64_t ix = RoundSat(dx), iy = RoundSat(dy);
  for (int32_t i = 0; i < PointCount; ++i) {
    Points[i].ScreenX = Clamp32(Points[i].ScreenX + ix);
    Points[i].ScreenY = Clamp32(Points[i].ScreenY + iy);
  }
  UpdateBounds();
}

void TScreenObject::ScaleAbout(double cx, double cy, double factor) {
  for (int32_t i = 0; i < PointCount; ++i) {
    Points[i].ScreenX = RoundSat((Points[i].ScreenX - cx) * factor + cx);
    Points[i].ScreenY = RoundSat((Points[i].ScreenY - cy) * factor + cy);
  }
  UpdateBounds();
}

// ---------------------------------------------------------------- dragging

bool TScreenObject::BeginDrag(uint8_t mode, int32_t x, int32_t y) {
  EditIndex = PointCount;
  DragStartX = x;
  DragStartY = y;
  Dragging = true;
  DragMode = mode;
  PointsBackup.assign(static_cast<size_t>(Capacity), TPointRec{});
  BackupPoints();
  return false;
}

bool TScreenObject::EndDrag() {
  Dragging = false;
  DragMode = 0;
  EditIndex = 0;
  PointsBackup.clear();
  return false;
}

bool TScreenObject::AddPoint(int32_t x, int32_t y) {
  SetPointCount(PointCount + 1);
  EditIndex = PointCount;
  return DragTo(x, y);
}

bool TScreenObject::DragTo(int32_t x, int32_t y) {
  if (EditIndex < 1 || EditIndex > PointCount) return false;
  bool result = false;
  if (DragMode == 0 || DragMode == 1) {
    TPointRec& p = Points[EditIndex - 1];
    p.ScreenX = x;
    p.ScreenY = y;
    StorePosition(p);
    result = true;
  } else if (DragMode == 2) {
    if (PointsBackup.size() < Points.size()) BackupPoints();   // no BeginDrag: move from here
    const TPointRec& anchor = PointsBackup[EditIndex - 1];
    const int64_t dx = int64_t(x) - anchor.ScreenX, dy = int64_t(y) - anchor.ScreenY;
    for (int32_t i = 0; i < Capacity; ++i) {
      TPointRec& p = Points[i];
      if (i == EditIndex - 1) {
        p.ScreenX = x;
        p.ScreenY = y;
      } else {
        p.ScreenX = Clamp32(PointsBackup[i].ScreenX + dx);
        p.ScreenY = Clamp32(PointsBackup[i].ScreenY + dy);
      }
      StorePosition(p);
    }
    result = true;
  }
  UpdateBounds();
  return result;
}

// ---------------------------------------------------------------- painting

HRGN TScreenObject::Paint(win::Canvas* canvas, const RECT& clip, bool drawFlag, HRGN region) {
  BeginDraw(canvas, clip, drawFlag, region);
  HRGN result = Draw(canvas, clip, drawFlag, region);
  EndDraw(canvas, clip, drawFlag, region);
  return result;
}

void TScreenObject::BeginDraw(win::Canvas*& canvas, const RECT&, bool, HRGN) {
  GetOwnCanvas(canvas);
}

HRGN TScreenObject::Draw(win::Canvas*& canvas, const RECT&, bool, HRGN region) {
  GetOwnCanvas(canvas);
  if (canvas) canvas->setPenWidth(LineWidth);
  return region;
}

void TScreenObject::EndDraw(win::Canvas*& canvas, const RECT& clip, bool drawFlag, HRGN region) {
  if (!HasOwnWindow || !OwnForm) return;
  PlaceOwnWindow();
  canvas = OwnForm->GetCanvas();
  Draw(canvas, clip, drawFlag, region);
  if (OwnForm)
    ::SetWindowPos(OwnForm->Handle(), HWND_TOPMOST, 0, 0, 0, 0,
                   SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

HRGN TScreenObject::NewRegion(HRGN given) {
  Region.reset(::CreateRectRgn(0, 0, 0, 0));
  if (given && Region) ::CombineRgn(Region.get(), Region.get(), given, RGN_OR);
  return Region.get();
}

HRGN TScreenObject::AddRegionTo(HRGN region) {
  if (!HasOwnWindow && region && Region) ::CombineRgn(region, region, Region.get(), RGN_OR);
  return region;
}

void TScreenObject::GetOwnCanvas(win::Canvas*& canvas) {
  if (OwnForm && HasOwnWindow) canvas = OwnForm->GetCanvas();
}

void TScreenObject::PlaceOwnWindow() {
  if (!OwnForm || !HasOwnWindow) return;
  if (!Region) Region.reset(::CreateRectRgn(0, 0, 0, 0));
  ::OffsetRgn(Region.get(), Clamp32(10 - int64_t(Bounds.left)), Clamp32(10 - int64_t(Bounds.top)));
  POINT origin = win::desktopMetrics().monitorOrigin(0);
  ::SetWindowPos(OwnForm->Handle(), HWND_TOPMOST, Clamp32(int64_t(origin.x) + Bounds.left - 10),
                 Clamp32(int64_t(origin.y) + Bounds.top - 10),
                 Clamp32(int64_t(Bounds.right) - Bounds.left + 20),
                 Clamp32(int64_t(Bounds.bottom) - Bounds.top + 20), SWP_NOACTIVATE);
  OwnForm->SetRegion(Region.get());   // the window gets a copy; the shape keeps its region
  OwnForm->SetVisible(Visible);
}

// ---------------------------------------------------------------- hit testing

bool TScreenObject::IsOverObject(POINT pt, int32_t, int32_t&) {
  if (HasOwnWindow) return OwnForm && pt.x == OwnForm->MouseX && pt.y == OwnForm->MouseY;
  return InBounds(pt);
}

bool TScreenObject::HitTest(POINT pt) {
  return InBounds(pt) && Region && ::PtInRegion(Region.get(), pt.x, pt.y);
}

bool TScreenObject::HitTestVertex(POINT, int32_t, int32_t&, POINT&) { return false; }

bool TScreenObject::HitTestOrigin(POINT pt, POINT& from) {
  from = pt;
  if (HasOwnWindow && OwnForm) {
    if (pt.x != OwnForm->MouseX || pt.y != OwnForm->MouseY) return false;
    const RECT wr = OwnForm->WindowRect();
    from = POINT{pt.x + wr.left, pt.y + wr.top};
    return true;
  }
  return InBounds(pt);
}

bool TScreenObject::NearestRecord(POINT p, int32_t count, int32_t& distance, POINT* vertex) const {
  bool found = false;
  for (int32_t i = 0; i < count && i < static_cast<int32_t>(Points.size()); ++i) {
    const double d = DistanceBetween(p.x, p.y, Points[i].ScreenX, Points[i].ScreenY);
    if (d < distance) {
      distance = RoundSat(d);
      if (vertex) *vertex = POINT{Points[i].ScreenX, Points[i].ScreenY};
      found = true;
    }
  }
  return found;
}

// ---------------------------------------------------------------- texts

std::string TScreenObject::AppendUserHint(const std::string& text) const {
  if (UserHint.empty()) return text;
  return text.empty() ? UserHint : text + QZ_TEXT_SEP + UserHint;
}

std::string TScreenObject::GetHint(int language) { return AppendUserHint(deleteText(language)); }
std::string TScreenObject::GetDeleteCaption(int language) { return deleteText(language); }
std::string TScreenObject::GetCreatePrompt(int, int32_t) { return std::string(); }
std::string TScreenObject::GetMeasureText() { return std::string(); }

std::string TScreenObject::FormatLength(const std::string& label, double value) const {
  return FormatMeasureValue(label, MeasureUnit, value);
}

std::string TScreenObject::FormatArea(const std::string& label, double value) const {
  return FormatMeasureArea(label, MeasureUnit, value);
}

void TScreenObject::GetScriptCommand(TStringVector&) {}

void TScreenObject::AppendScriptOptions(TStringVector& list) const {
  if (LineWidth > 1)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_LINEWIDTH PREVIOUSCREATEDELEMENT " +
                   std::to_string(LineWidth) + " 0 0");
  if (AutoHide)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_SETAUTOHIDE PREVIOUSCREATEDELEMENT TRUE 0 0");
  if (TransparentFactor != 0)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_SETTRANSPARENT PREVIOUSCREATEDELEMENT " +
                   std::to_string(TransparentFactor) + " 0 0");
  if (ClickThrough)
    list.push_back("OPERATION OVERLAYELEMENT_OPERATION_SETCLICKTHROUGH PREVIOUSCREATEDELEMENT TRUE 0 0");
}

// ---------------------------------------------------------------- setters

void TScreenObject::SetPointType(int32_t value) { PointType = value; }

void TScreenObject::SetPointColor(COLORREF color) {
  PointColor = color;
  if (HasOwnWindow && OwnForm) OwnForm->SetColor(color);
}

void TScreenObject::SetLineColor(COLORREF color) {
  LineColor = color;
  if (HasOwnWindow && OwnForm) OwnForm->SetColor(color);
}

void TScreenObject::SetBackColor(COLORREF color) {
  BackColor = color;
  if (HasOwnWindow && OwnForm) OwnForm->SetColor(color);
}

void TScreenObject::SetPointSize(int32_t value) { PointSize = value < 4 ? 4 : value > 20 ? 20 : value; }

void TScreenObject::SetAutoShow(bool value) {
  AutoShow = value;
  if (value) SetVisible(false);
}

void TScreenObject::SetAutoHide(bool value) { AutoHide = value; }

void TScreenObject::SetOverlayForm(IOverlayForm* overlay) { OverlayForm = overlay; }

void TScreenObject::SetOwnWindow(bool value) {
  if (!value) {
    OwnForm.reset();
  } else if (!OwnForm) {
    // Unowned: an owned window would drag the overlay window along with it.
    OwnForm = std::make_unique<TScreenObjectForm>();
    OwnForm->SetScreenObject(this);
    OwnForm->SetAlpha(0);
    OwnForm->SetColor(LineColor);
  }
  HasOwnWindow = value;
}

void TScreenObject::SetTransparentFactor(int32_t percent) {
  TransparentFactor = percent < 0 ? 0 : percent > 100 ? 100 : percent;
  SetOwnWindow(TransparentFactor != 0 || ClickThrough || OwnForm != nullptr);
  if (OwnForm) OwnForm->SetAlpha(TransparentFactor);
}

void TScreenObject::SetClickThrough(bool value) {
  ClickThrough = value;
  SetOwnWindow(TransparentFactor != 0 || ClickThrough);
  if (OwnForm) OwnForm->SetClickThrough(ClickThrough);
}

// ---------------------------------------------------------------- INI

void TScreenObject::SaveToIni(const std::string& f, const std::string& s, TStringVector* fileList) {
  WriteIniInteger(f, s, "Type", Type);
  WriteIniBool(f, s, "AbsolutPosition", AbsolutPosition);
  WriteIniInteger(f, s, "PointType", PointType);
  WriteIniInteger(f, s, "PointColor", static_cast<int32_t>(PointColor));
  WriteIniInteger(f, s, "PointSize", PointSize);
  WriteIniInteger(f, s, "LineWidth", LineWidth);
  WriteIniBool(f, s, "PolygonFilled", PolygonFilled);
  WriteIniInteger(f, s, "LineColor", static_cast<int32_t>(LineColor));
  WriteIniBool(f, s, "AutoHide", AutoHide);
  WriteIniBool(f, s, "AutoShow", AutoShow);
  WriteIniInteger(f, s, "TransparentFactor", TransparentFactor);
  WriteIniBool(f, s, "ClickThrough", ClickThrough);
  WriteIniString(f, s, "UserHint", UserHint);
  WriteIniString(f, s, "ShellExApp", ShellExApp);
  if (fileList && !ShellExApp.empty()) {
    if (upper(ShellExApp).find("<PLUGIN:") != std::string::npos) {
      if (ShellExApp.size() >= 10) fileList->push_back(ShellExApp.substr(9, ShellExApp.size() - 10));
    } else if (fileExists(ShellExApp)) {
      fileList->push_back(ShellExApp);
      WriteIniString(f, s, "ShellExApp", bareFileName(ShellExApp));
    }
  }
  WriteIniInteger(f, s, "PointCount", PointCount);
  if (RelativePosition) WriteIniBool(f, s, "RelativePosition", true);
  for (int32_t n = 1; n <= PointCount; ++n) {
    const TPointRec& p = Points[n - 1];
    WriteIniInteger(f, s, "PointX." + std::to_string(n), RelativePosition ? toRelative(p.StoredX) : p.StoredX);
    WriteIniInteger(f, s, "PointY." + std::to_string(n), RelativePosition ? toRelative(p.StoredY) : p.StoredY);
  }
}

bool TScreenObject::LoadFromIni(const std::string& f, const std::string& s, IOverlayForm* overlay) {
  try {
    int32_t type = 0;
    if (!TryStrToInt32(ReadIniString(f, s, "Type", "0"), type) || type != Type) return false;
    SetAbsolutPosition(ReadIniBool(f, s, "AbsolutPosition", AbsolutPosition));
    SetPointType(ReadIniInteger(f, s, "PointType", 0));
    SetPointColor(static_cast<COLORREF>(ReadIniInteger(f, s, "PointColor", 0)));
    SetPointSize(ReadIniInteger(f, s, "PointSize", PointSize));
    LineWidth = ReadIniInteger(f, s, "LineWidth", LineWidth);
    PolygonFilled = ReadIniBool(f, s, "PolygonFilled", PolygonFilled);
    SetLineColor(static_cast<COLORREF>(ReadIniInteger(f, s, "LineColor", 0)));
    SetAutoHide(ReadIniBool(f, s, "AutoHide", false));
    SetAutoShow(ReadIniBool(f, s, "AutoShow", false));
    SetOverlayForm(overlay);
    SetTransparentFactor(ReadIniInteger(f, s, "TransparentFactor", TransparentFactor));
    SetClickThrough(ReadIniBool(f, s, "ClickThrough", ClickThrough));
    UserHint = ReadIniString(f, s, "UserHint", UserHint);
    ShellExApp = ReadIniString(f, s, "ShellExApp", ShellExApp);
    int64_t offX = 0, offY = 0;
    SetPointCount(ReadIniInteger(f, s, "PointCount", 0));
    RelativePosition = ReadIniBool(f, s, "RelativePosition", false);
    RelativePositionToObject = ReadIniBool(f, s, "RelativePositionToObject", false);
    if (RelativePositionToObject) {
      std::string other = ReadIniString(f, s, "ObjectRelativeTo", "");
      if (!other.empty()) {
        bool rel = ReadIniBool(f, other, "RelativePosition", false);
        int32_t x = ReadIniInteger(f, other, "PointX.1", 0), y = ReadIniInteger(f, other, "PointY.1", 0);
        offX = rel ? fromRelative(x) : x;
        offY = rel ? fromRelative(y) : y;
      }
    }
    for (int32_t n = 1; n <= PointCount; ++n) {
      int32_t x = ReadIniInteger(f, s, "PointX." + std::to_string(n), 0);
      int32_t y = ReadIniInteger(f, s, "PointY." + std::to_string(n), 0);
      TPointRec& p = Points[n - 1];
      p.StoredX = Clamp32((RelativePosition ? fromRelative(x) : x) + offX);
      p.StoredY = Clamp32((RelativePosition ? fromRelative(y) : y) + offY);
      RestorePosition(p);
    }
    UpdateBounds();
    return true;
  } catch (...) {
    return false;
  }
}

// ---------------------------------------------------------------- module routines

float GetScale() { return 1.0f; }

int32_t PolygonArea(int32_t n, const TPointRec* points) {
  if (n < 1 || !points) return 0;
  auto X = [&](int32_t i) { return int64_t(points[i - 1].StoredX); };
  auto Y = [&](int32_t i) { return int64_t(points[i - 1].StoredY); };
  // 64-bit terms: products of 32-bit differences overflow 32 bits.
  long double s = static_cast<long double>(X(1) - X(n)) * (Y(n) + Y(1));
  for (int32_t i = 2; i <= n; ++i) s += static_cast<long double>(X(i) - X(i - 1)) * (Y(i) + Y(i - 1));
  return TruncSat(static_cast<double>(std::trunc(s / 2)));
}

void SetMeasureSettings(int32_t unit, int32_t, int32_t, int32_t, int32_t, const std::string&) {
  MeasureUnit = unit;
}

void SetMeasureDecimalSeparator(char separator) { decimalSeparator() = separator; }
char MeasureDecimalSeparator() { return decimalSeparator(); }

std::string FormatFixed(double value, int precision, int digits, char separator) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value < 0 ? "-INF" : "INF";
  if (precision < 1) precision = 1;
  if (precision > 18) precision = 18;
  if (digits < 0) digits = 0;
  if (digits > 18) digits = 18;
  const bool negative = std::signbit(value);
  // Exact decimal digits of the magnitude (libstdc++'s own conversion, the
  // same under every C runtime), then rounding half away from zero.
  char buf[128];
  auto res = std::to_chars(buf, buf + sizeof(buf), std::fabs(value), std::chars_format::scientific, 40);
  std::string sci(buf, res.ptr);
  size_t e = sci.find('e');
  std::string ds = sci.substr(0, 1) + sci.substr(2, e - 2);   // 41 significant digits
  int exp10 = std::stoi(sci.substr(e + 1));
  int intDigits = exp10 + 1;   // digits before the decimal point
  if (value == 0) {
    ds = "0";
    intDigits = 1;
  }
  auto roundTo = [&](int keep) {
    if (keep < 0) {
      ds = "0";
      intDigits = 1;
      return;
    }
    if (keep >= static_cast<int>(ds.size())) return;
    bool up = ds[keep] >= '5';
    ds.resize(static_cast<size_t>(keep));
    if (up) {
      int i = keep - 1;
      while (i >= 0 && ds[i] == '9') ds[i--] = '0';
      if (i >= 0) ++ds[i];
      else {
        ds.insert(ds.begin(), '1');
        ++intDigits;
      }
    }
    if (ds.empty() || ds.find_first_not_of('0') == std::string::npos) {
      ds = "0";
      intDigits = 1;
    }
  };
  std::string out;
  if (intDigits <= precision) {
    roundTo(std::min(precision, intDigits + digits));
  }
  if (intDigits > precision) {
    // Exponent form: precision significant digits, trailing zeros dropped.
    roundTo(precision);
    std::string mant = ds;
    while (mant.size() > 1 && mant.back() == '0') mant.pop_back();
    if (negative) out += '-';
    out += mant[0];
    if (mant.size() > 1) {
      out += separator;
      out += mant.substr(1);
    }
    out += 'E';
    int ex = intDigits - 1;
    if (ex < 0) out += '-';
    std::string exs = std::to_string(ex < 0 ? -ex : ex);
    while (static_cast<int>(exs.size()) < digits) exs.insert(exs.begin(), '0');
    return out + exs;
  }
  auto digitAt = [&](int pos) { return pos >= 0 && pos < static_cast<int>(ds.size()) ? ds[pos] : '0'; };
  std::string intPart, frac;
  if (intDigits <= 0) intPart = "0";
  else for (int i = 0; i < intDigits; ++i) intPart += digitAt(i);
  for (int j = 0; j < digits; ++j) frac += digitAt(intDigits + j);
  bool zero = ds == "0";
  if (negative && !zero) out += '-';
  out += intPart;
  if (digits > 0) {
    out += separator;
    out += frac;
  }
  return out;
}

std::string FormatMeasureValue(const std::string& label, int32_t unit, double v) {
  const char sep = decimalSeparator();
  const double T = TwipsPerPixel;
  auto metric = [&](double c) {
    return FormatFixed(c, c < 10 ? 3 : c < 100 ? 4 : 5, 2, sep);
  };
  switch (unit) {
    case 0: return label + "=" + FormatFixed(v, v < 10000 ? 4 : 15, 1, sep);
    case 1: return label + "=" + metric(v * T / 567) + " cm";
    case 2: return label + "=" + metric(v * T / 1440) + "''";
    case 3: return label + "=" + std::to_string(RoundSat(v * T / 20)) + " pt";
    case 4: return label + "=" + std::to_string(RoundSat(v * T)) + " tw";
    default: return std::string();
  }
}

std::string FormatMeasureArea(const std::string& label, int32_t unit, double a) {
  const char sep = decimalSeparator();
  const double T = TwipsPerPixel;
  auto metric = [&](double c) { return FormatFixed(c, c < 100 ? 6 : 10, 2, sep); };
  switch (unit) {
    case 0: return label + "=" + FormatFixed(a, 8, 2, sep);
    case 1: return label + "=" + metric(a * (T / 567) * (T / 567)) + " cm^2";
    case 2: return label + "=" + metric(a * (T / 1440) * (T / 1440)) + "''^2";
    case 3: return label + "=" + std::to_string(RoundSat(a * (T / 20) * (T / 20))) + " pt^2";
    case 4: return label + "=" + std::to_string(RoundSat(a * T * T)) + " tw^2";
    default: return std::string();
  }
}
