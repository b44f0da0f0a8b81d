// Every discount factor the calculation can take, printed bit for bit: built natively and
// as WebAssembly, the two outputs must be the same, which shows that the C library's log
// (glibc's and emscripten's) and the calculation's own exponential agree on every input the
// calculation gives them. The factor of a felling is exp(ar * log(1 + ranta / 100)), for the
// rates the intake admits and the cycle's start year ar, a multiple of 5 up to the longest
// horizon.

#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "calc/exponential.h"
#include "calc/parameters.h"

int main() {
    for (const int rate : lodra::kRates) {
        const double ranta = rate;
        const double rateLog = std::log(1 + ranta / 100);
        for (int year = 0; year <= lodra::kHorizonMax; year += 5) {
            const double ar = year;
            const double discount = lodra::exponential(ar * rateLog);
            std::uint64_t bits = 0;
            std::memcpy(&bits, &discount, sizeof bits);
            std::printf("%d %d %016" PRIx64 "\n", rate, year, bits);
        }
    }
}
