// The regular-expression replace of the engine: Perl syntax on code-page bytes, "."
// matching line breaks, "^" and "$" only at the ends of the input, case folding by
// the system's ANSI code page, the modifiers i, m, s, x, g (greedy repetition) and r
// (accepted; nothing to change under a Western code page), and a replace-all loop
// with its own template substitution ("$&", "$0", "$n", "${n}" for groups up to 14,
// "\" makes the next character literal). The only module that knows the library.
#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TSnRRegExpr {
public:
  using Sink = std::function<void(const char* data, size_t size)>;

  // A replacement cut into literal text and group references once, for any number
  // of replaces. Without substitution the replacement is written as it is.
  class Template {
  public:
    Template(const std::string& Replacement, bool UseSubstitution);

  private:
    friend class TSnRRegExpr;
    struct Piece {
      int group;  // -1: literal text
      std::string text;
    };
    std::vector<Piece> pieces_;
  };

  // Compiles Expr; raises std::runtime_error for an invalid one. The matcher is the
  // library's compiled machine code where it can be made, else its interpreter
  // (the same matches, slower); AllowJit false: the interpreter always.
  explicit TSnRRegExpr(const std::string& Expr, bool AllowJit = true);
  ~TSnRRegExpr();
  TSnRRegExpr(const TSnRRegExpr&) = delete;
  TSnRRegExpr& operator=(const TSnRRegExpr&) = delete;

  // The text a search looks at: a whole input, or the part of a long one that is
  // at hand. A part that does not begin where the input begins starts with enough
  // of the bytes before the search's start for the expression to look back at
  // (Lookbehind); "^" and "\A" never match at its first byte. A part that does not
  // end where the input ends is searched so that every match that more bytes
  // could change is left for later, unless it ends just after a byte that no
  // match can pass (Stops): then it is searched as a whole input, except that no
  // match starts at its end.
  struct Subject {
    const char* Begin;
    size_t Length;
    bool AtStart = true;  // Begin is where the input begins
    bool AtEnd = true;    // the input ends at Begin + Length
    bool AtStop = false;  // more follows, but no match passes the last byte
  };
  enum class Found { None, Partial };

  // Replaces in S from Pos on, as Replace does, as far as S tells: writes the text
  // from From up to each match, then its substitution, and leaves Pos and From
  // past the last match. Returns None when no further match starts in S, Partial
  // (Pos at its start) when one may start that more bytes decide. Raises
  // std::runtime_error when the matcher gives up (an expression whose
  // backtracking outgrows the limits).
  Found ReplaceFrom(const Subject& S, size_t& Pos, size_t& From, const Template& T, int64_t& Count,
                    const Sink& Out) const;
  // The bytes before a search's start that a match may look at; at least 1.
  size_t Lookbehind() const;
  // For each byte value, whether no match can consume it (in a look-around
  // neither), so that every attempt ends at it; null when that holds for none.
  // Where the expression cannot be judged simply, every byte may be consumed.
  const bool* Stops() const;

  // Writes Input [Begin, End) to Out with every match replaced, leftmost first and
  // not overlapping; after an empty match the search goes on one character further.
  // Count grows by one per match. Unmatched text reaches Out as pointers into the
  // input. Raises as ReplaceFrom does; Out may then have had part of the output.
  void Replace(const char* Begin, const char* End, const Template& T, int& Count, const Sink& Out) const;
  std::string Replace(const std::string& Input, const std::string& Replacement, bool UseSubstitution,
                      int& Count) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Compiles Expr, replaces in Input and returns the result.
std::string ReplaceRegExprCount(const std::string& Expr, const std::string& Input, const std::string& Replacement,
                                bool UseSubstitution, int& Count);
