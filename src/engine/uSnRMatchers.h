// The matchers of the file rewriting: byte strings (exact or ignoring case) and
// regular expressions over runs of text bytes. They read the input between Begin
// and End, never past it, and write the rewritten bytes to an output; they touch
// no file themselves.
#pragma once
#include <cstddef>
#include <cstdint>
#include "uSnROutput.h"
#include "uSnRRegExpr.h"

// The byte comparisons of the plain modes: exact, and by the ANSI upper-case forms
// of the system code page.
bool SameByte(uint8_t a, uint8_t b);
bool SameByteIgnoreCase(uint8_t a, uint8_t b);

// Modes 0 and 1: writes the input with every leftmost, non-overlapping match of
// Search replaced and returns the count (at most INT32_MAX). IgnoreCase compares
// the ANSI upper-case forms. Raises snr::ViewReadError when the input cannot be
// read, and what Out raises.
int ReplacePlain(const uint8_t* Begin, const uint8_t* End, const uint8_t* Search, size_t SearchLen,
                 const uint8_t* Replace, size_t ReplaceLen, bool IgnoreCase, TSnROutput& Out);

// Mode 2: the expression replaces within each run of text bytes (tab, LF, CR,
// 32..127, 160..255); the other bytes are copied unchanged, so a match never spans
// them. Returns the count; raises as ReplacePlain does, and what the expression
// raises.
int ReplaceRegExprRuns(const uint8_t* Begin, const uint8_t* End, const TSnRRegExpr& Expr,
                       const TSnRRegExpr::Template& Repl, TSnROutput& Out);
