// The regular-expression replace of the engine: Perl syntax on code-page bytes, "."
// matching line breaks, "^" and "$" only at the ends of the input, case folding by
// the system's ANSI code page, the modifiers i, m, s, x, g (greedy repetition) and r
// (accepted; nothing to change under a Western code page), and a replace-all loop
// with its own template substitution ("$&", "$0", "$n", "${n}" for groups up to 14,
// "\" makes the next character literal). The only module that knows the library.
#pragma once
#include <cstddef>
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

  // Writes Input [Begin, End) to Out with every match replaced, leftmost first and
  // not overlapping; after an empty match the search goes on one character further.
  // Count grows by one per match. Unmatched text reaches Out as pointers into the
  // input. Raises std::runtime_error when the matcher gives up (an expression whose
  // backtracking outgrows the limits); Out may then have had part of the output.
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
