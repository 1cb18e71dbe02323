#pragma once

// A failed step of a calculation handler, and how handlers react to one. The number tells the
// handler whether the user gets to hear about it: only a type mismatch is ever shown, the others
// end the handler quietly.
namespace hopsmeld {

enum FailureNumber : int {
    InvalidOperation = 5,
    Overflow = 6,
    DivisionByZero = 11,
    TypeMismatch = 13,
};

class CalcFailure {
  public:
    explicit CalcFailure(FailureNumber number) : number_(number) {}
    FailureNumber number() const { return number_; }

  private:
    FailureNumber number_;
};

// Every calculation handler runs its steps in order; the first failing step ends them and leaves
// whatever earlier steps wrote. A type mismatch brings the handler's reaction, any other failure
// is dropped, and nothing leaves the handler.
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
