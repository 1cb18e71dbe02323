#pragma once

#include "calc_failure.h"

// Every calculation handler runs its steps in order; the first failing step ends them and leaves
// whatever earlier steps wrote. A type mismatch brings the handler's reaction, any other failure
// is dropped, and nothing leaves the handler.
namespace hopsmeld {

template <typename Steps, typename Reaction>
void runCalcHandler(Steps&& steps, Reaction&& onTypeMismatch) noexcept {
    bool typeMismatch = false;
    try {
        steps();
    } catch (const CalcFailure& failure) {
        typeMismatch = failure.number() == TypeMismatch;
    } catch (...) {
        // Out of memory or the like: the user typed nothing wrong, so nothing is shown.
    }
    if (!typeMismatch)
        return;
    try {
        onTypeMismatch();
    } catch (...) {
    }
}

} // namespace hopsmeld
