#pragma once

// A failed step of a calculation handler. The number tells the handler whether the user
// gets to hear about it: only a type mismatch is ever shown, the others end the handler quietly.
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

} // namespace hopsmeld
