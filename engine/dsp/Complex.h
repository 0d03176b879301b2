#pragma once

#include <complex>

// One sample: I then Q as two 32-bit floats, the layout of every sample block in the
// system. Hot loops multiply the parts by hand: std::complex's operator* checks for
// infinities and is several times slower.
using Complex = std::complex<float>;
