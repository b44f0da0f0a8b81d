#pragma once

// The floating-point exception flags a calculation tests to stop where a number became too
// large or invalid (division by zero, overflow, an invalid operation). A platform without
// them (WebAssembly has none) finds such a number by the values instead.

#include <cfenv>

namespace lodra {

#if defined(FE_DIVBYZERO) && defined(FE_OVERFLOW) && defined(FE_INVALID)
inline constexpr bool kFloatFlags = true;
inline bool floatFlagsRaised() {
    return std::fetestexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID) != 0;
}
inline void clearFloatFlags() {
    std::feclearexcept(FE_DIVBYZERO | FE_OVERFLOW | FE_INVALID);
}
#else
inline constexpr bool kFloatFlags = false;
inline bool floatFlagsRaised() {
    return false;
}
inline void clearFloatFlags() {}
#endif

}  // namespace lodra
