#pragma once

#include <array>
#include <cstddef>
#include <span>
#include <stdexcept>

namespace lodra {

// A fixed list of 201 doubles, indices 0..200. Index 0 is never used; entries 1..n are,
// where n is a count held elsewhere. Holds diameters (cm) or per-tree volumes (m3sk).
class DiameterList {
  public:
    static constexpr int kSize = 201;

    double& operator[](int i) {
        check(i);
        return v_[static_cast<std::size_t>(i)];
    }
    double operator[](int i) const {
        check(i);
        return v_[static_cast<std::size_t>(i)];
    }

    // Entries 1..n as one span; the bound is checked once, here.
    std::span<double> entries(int n) {
        check(n);
        return std::span<double>(v_).subspan(1, static_cast<std::size_t>(n < 0 ? 0 : n));
    }
    std::span<const double> entries(int n) const {
        check(n);
        return std::span<const double>(v_).subspan(1, static_cast<std::size_t>(n < 0 ? 0 : n));
    }

  private:
    static void check(int i) {
        if (i < 0 || i >= kSize) {
            throw std::out_of_range("DiameterList index outside 0..200");
        }
    }
    std::array<double, kSize> v_{};
};

}  // namespace lodra
