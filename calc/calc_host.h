#pragma once

// What a calculator needs of the window around it.
namespace hopsmeld {

class CalcHost {
  public:
    virtual ~CalcHost() = default;
    // The modal "Hey Hop Head You Can't Do That!" message.
    virtual void showTypeMismatch() = 0;
    // The sound cue that confirms a calculation.
    virtual void playCue() = 0;
};

} // namespace hopsmeld
