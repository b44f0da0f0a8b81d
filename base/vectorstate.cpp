#include "base/vectorstate.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace lodra {

#if defined(__x86_64__) && defined(__GNUC__)

namespace {
// Compiled for AVX, and only called on a processor that has it.
__attribute__((target("avx"))) void zeroUpper() {
    _mm256_zeroupper();
}
}  // namespace

void clearUpperVectorHalves() {
    if (__builtin_cpu_supports("avx")) {
        zeroUpper();
    }
}

#else

void clearUpperVectorHalves() {}

#endif

}  // namespace lodra
