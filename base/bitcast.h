#pragma once

// The bits of one value read as another type of the same size: std::bit_cast where the
// standard library has it, else the compiler's own built-in, which every compiler the
// program builds with provides.

#include <type_traits>

namespace lodra {

template <class To, class From>
constexpr To bitCast(const From& from) noexcept {
    static_assert(sizeof(To) == sizeof(From));
    static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
    return __builtin_bit_cast(To, from);
}

}  // namespace lodra
