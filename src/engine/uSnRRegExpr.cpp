#include "uSnRRegExpr.h"
#include <boost/regex.hpp>
#include <vector>

namespace {

const int kMaxGroup = 14;

// A template cut into literal text and group references, parsed once per replace.
struct Piece {
  int group;  // -1: literal text
  std::string text;
};

std::vector<Piece> parseTemplate(const std::string& t) {
  std::vector<Piece> pieces;
  auto literal = [&](char c) {
    if (pieces.empty() || pieces.back().group != -1) pieces.push_back({-1, std::string()});
    pieces.back().text += c;
  };
  auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
  size_t i = 0;
  const size_t n = t.size();
  while (i < n) {
    const char c = t[i];
    if (c == '\\' && i + 1 < n) {
      literal(t[i + 1]);
      i += 2;
    } else if (c == '$' && i + 1 < n && t[i + 1] == '&') {
      pieces.push_back({0, std::string()});
      i += 2;
    } else if (c == '$' && i + 1 < n && isDigit(t[i + 1])) {
      int g = 0;
      for (++i; i < n && isDigit(t[i]); ++i) g = g > kMaxGroup ? g : g * 10 + (t[i] - '0');
      pieces.push_back({g, std::string()});
    } else if (c == '$' && i + 2 < n && t[i + 1] == '{' && isDigit(t[i + 2])) {
      size_t j = i + 2;
      int g = 0;
      for (; j < n && isDigit(t[j]); ++j) g = g > kMaxGroup ? g : g * 10 + (t[j] - '0');
      if (j < n && t[j] == '}') {
        pieces.push_back({g, std::string()});
        i = j + 1;
      } else {
        literal(c);
        ++i;
      }
    } else {
      literal(c);
      ++i;
    }
  }
  return pieces;
}

}  // namespace

struct TSnRRegExpr::Impl {
  boost::regex re;
};

TSnRRegExpr::TSnRRegExpr(const std::string& Expr) : impl_(new Impl) {
  impl_->re.assign(Expr, boost::regex::perl | boost::regex::no_mod_m | boost::regex::mod_s);
}

TSnRRegExpr::~TSnRRegExpr() = default;

void TSnRRegExpr::Replace(const char* Begin, const char* End, const std::string& Replacement, bool UseSubstitution,
                          int& Count, const Sink& Out) const {
  const std::vector<Piece> pieces =
      UseSubstitution ? parseTemplate(Replacement) : std::vector<Piece>{{-1, Replacement}};
  boost::cmatch m;
  const char* from = Begin;  // start of the text not yet written
  const char* pos = Begin;   // where the next search starts
  for (;;) {
    // The input's start stays Begin, so "^", "\A" and look-behind never see a later
    // search start as the start of the input.
    auto flags = boost::match_default;
    if (pos != Begin) flags |= boost::match_prev_avail | boost::match_not_bob;
    if (pos > End || !boost::regex_search(pos, End, m, impl_->re, flags, Begin)) break;
    const char* mBegin = m[0].first;
    const char* mEnd = m[0].second;
    if (mBegin > from) Out(from, static_cast<size_t>(mBegin - from));
    for (const Piece& p : pieces) {
      if (p.group < 0) {
        if (!p.text.empty()) Out(p.text.data(), p.text.size());
      } else if (p.group <= kMaxGroup && static_cast<size_t>(p.group) < m.size() && m[p.group].matched) {
        const auto& g = m[p.group];
        if (g.second > g.first) Out(g.first, static_cast<size_t>(g.second - g.first));
      }
    }
    from = mEnd;
    ++Count;
    if (mBegin == mEnd) {
      if (mEnd == End) break;
      pos = mEnd + 1;
    } else {
      pos = mEnd;
    }
  }
  if (End > from) Out(from, static_cast<size_t>(End - from));
}

std::string TSnRRegExpr::Replace(const std::string& Input, const std::string& Replacement, bool UseSubstitution,
                                 int& Count) const {
  std::string result;
  Replace(Input.data(), Input.data() + Input.size(), Replacement, UseSubstitution, Count,
          [&](const char* d, size_t n) { result.append(d, n); });
  return result;
}

std::string ReplaceRegExprCount(const std::string& Expr, const std::string& Input, const std::string& Replacement,
                                bool UseSubstitution, int& Count) {
  TSnRRegExpr re(Expr);
  return re.Replace(Input, Replacement, UseSubstitution, Count);
}
