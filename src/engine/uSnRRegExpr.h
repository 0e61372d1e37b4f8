// The regular-expression replace of the engine: Perl syntax, "." matching line
// breaks, "^" and "$" only at the ends of the input, and a replace-all loop with its
// own template substitution ("$&", "$0", "$n", "${n}" for groups up to 14, "\" makes
// the next character literal).
#pragma once
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

class TSnRRegExpr {
public:
  using Sink = std::function<void(const char* data, size_t size)>;

  // Compiles Expr; raises std::runtime_error (boost::regex_error) for an invalid one.
  explicit TSnRRegExpr(const std::string& Expr);
  ~TSnRRegExpr();

  // Writes Input [Begin, End) to Out with every match replaced, leftmost first and
  // not overlapping; after an empty match the search goes on one character further.
  // Count grows by one per match.
  void Replace(const char* Begin, const char* End, const std::string& Replacement, bool UseSubstitution,
               int& Count, const Sink& Out) const;
  std::string Replace(const std::string& Input, const std::string& Replacement, bool UseSubstitution,
                      int& Count) const;

private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Compiles Expr, replaces in Input and returns the result.
std::string ReplaceRegExprCount(const std::string& Expr, const std::string& Input, const std::string& Replacement,
                                bool UseSubstitution, int& Count);
