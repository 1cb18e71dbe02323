#pragma once

// The factors that turn a gravity drop into alcohol.
namespace hopsmeld {

inline constexpr double kWeightFactor = 1.05; // gravity drop -> alcohol by weight
inline constexpr double kVolumeFactor = 1.25; // alcohol by weight -> by volume
inline constexpr double kPercent = 100;

} // namespace hopsmeld
