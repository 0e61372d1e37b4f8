// Where the matchers write for a file that cannot be replaced (a read-only one):
// nothing is kept, since one replacement already fails the job and none leaves
// the file as it is. The first matches handed over as a batch (the plain modes)
// end the scan at once; otherwise the count decides.
#pragma once
#include "uSnROutput.h"

class TSnRNoOutput : public TSnROutput {
public:
  struct Replacement {};  // raised at the first batch of matches

  void put(const void*, size_t) override {}
  const uint8_t* putHits(const uint8_t* From, const uint8_t* const*, size_t N, size_t, const uint8_t*, size_t,
                         const uint8_t*) override {
    if (N) throw Replacement();
    return From;
  }
};
