#pragma once

// One calculation through the session on the same seeded random numbers every time.

#include "calc/randomsource.h"
#include "session/session.h"

namespace lodra::testsession {

inline Outcome calculate(Session& session, const InputRecord& input) {
    SeededRandom random(5);
    CalcOptions options;
    options.random = &random;
    return session.berakna(input, options);
}

}  // namespace lodra::testsession
