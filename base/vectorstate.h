#pragma once

// The state of the processor's vector registers between library calls.

namespace lodra {

// On an x86-64 processor with AVX, clears the upper halves of the vector registers
// (vzeroupper); elsewhere does nothing. The C library's AVX-512 copying routines leave them
// in use, and until they are cleared the calculation's SSE2 arithmetic runs markedly slower
// (bench/README.md). Cheap enough to call once per calculation.
void clearUpperVectorHalves();

}  // namespace lodra
