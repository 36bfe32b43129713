#pragma once
// In-place forward FFT: radix 2, decimation in frequency, twiddle factors by
// recurrence, then bit-reversal reordering so bin k ends at index k.

#include <vector>

namespace tolvane {

// n = re.size() = im.size() must be a power of two (1 included); otherwise
// nothing is done and false is returned.
bool ForwardFft(std::vector<double>& re, std::vector<double>& im);

} // namespace tolvane
