#pragma once

namespace orvendi {

// Every computed figure is pinned to these ten-digit decimals, not to std::numbers::pi or today's
// SI mu0: another spelling of the same quantity moves results in their last bits.
inline constexpr double kPi = 3.1415926536;
inline constexpr double kTwoPi = 6.2831853072;
inline constexpr double kFourPi = 12.5663706144;
// mu0 in H/m, and mu0 / pi: the dipole coefficient multiplies by the two factors in turn.
inline constexpr double kMu0 = 1.25663706144e-6;
inline constexpr double kMu0OverPi = 4e-7;

static_assert(kTwoPi == 2 * kPi && kFourPi == 4 * kPi && kMu0 == kMu0OverPi * kPi);

}  // namespace orvendi
