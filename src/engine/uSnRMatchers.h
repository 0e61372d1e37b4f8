// The matchers of the file rewriting: byte strings (exact or ignoring case) and
// regular expressions over runs of text bytes. They read the input window by
// window, never past a window's end, and write the rewritten bytes to an output;
// they touch no file themselves. A match may straddle windows; each is found once,
// as in the whole input at once.
#pragma once
#include <cstddef>
#include <cstdint>
#include "uSnRInput.h"
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
int ReplacePlain(TSnRInput& In, const uint8_t* Search, size_t SearchLen, const uint8_t* Replace, size_t ReplaceLen,
                 bool IgnoreCase, TSnROutput& Out);

// Mode 2: the expression replaces within each run of text bytes (tab, LF, CR,
// 32..127, 160..255); the other bytes are copied unchanged, so a match never spans
// them. A run longer than a window is searched across windows; a match (or an
// attempt at one) that needs more than a window's bytes from its start raises
// std::runtime_error. Returns the count (at most INT32_MAX); raises as ReplacePlain
// does, and what the expression raises.
int ReplaceRegExprRuns(TSnRInput& In, const TSnRRegExpr& Expr, const TSnRRegExpr::Template& Repl, TSnROutput& Out);
