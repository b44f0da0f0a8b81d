#pragma once

// e^x with the same bits on every build of the program. The C libraries differ in the last
// bit of exp for some arguments (glibc and the one of the WebAssembly build disagree on 14 of
// the 26,216 discount factors a calculation can take), so the calculation computes it
// itself: glibc's own method (a table of 2^(k/128) and a polynomial of degree 5, with fused
// multiply-adds, which std::fma computes exactly everywhere), giving glibc's bits for every
// x >= 0. A negative x is left to the library: the calculation never takes one.

namespace lodra {

double exponential(double x);

}  // namespace lodra
