#pragma once

#include <array>
#include <cmath>
#include <cstdint>

#include "core/field/vector3.h"

namespace orvendi::testing {

// The default generator layout in the plane z = 0.
inline const std::array<Vector3, 3> kDefaultGenerators = {Vector3{0.0, -0.26, 0.0}, Vector3{-0.25, 0.25, 0.0},
                                                          Vector3{0.25, 0.25, 0.0}};

inline Vector3 SensorAxis(double theta, double phi) {
  return {std::sin(theta) * std::cos(phi), std::sin(theta) * std::sin(phi), std::cos(theta)};
}

// Normalised responses of a sensor with unit axis s at p to unit-moment dipoles at the
// generators: for generator g the vector (3 r^ (r^ . s) - s) / r^3, in coil order.
inline std::array<double, 9> IdealResponses(const std::array<Vector3, 3>& generators, const Vector3& p,
                                            const Vector3& s) {
  std::array<double, 9> n{};
  for (int g = 0; g < 3; ++g) {
    const double dx = p.x - generators[g].x;
    const double dy = p.y - generators[g].y;
    const double dz = p.z - generators[g].z;
    const double r = std::sqrt(dx * dx + dy * dy + dz * dz);
    const double ux = dx / r, uy = dy / r, uz = dz / r;
    const double along = ux * s.x + uy * s.y + uz * s.z;
    const double r3 = r * r * r;
    n[3 * g] = (3 * ux * along - s.x) / r3;
    n[3 * g + 1] = (3 * uy * along - s.y) / r3;
    n[3 * g + 2] = (3 * uz * along - s.z) / r3;
  }
  return n;
}

// A small reproducible generator for test samples (64-bit LCG), uniform doubles in [lo, hi).
class SampleSource {
 public:
  explicit SampleSource(std::uint64_t seed) : state_(seed) {}
  double Uniform(double lo, double hi) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return lo + (hi - lo) * static_cast<double>(state_ >> 11) / 9007199254740992.0;
  }

 private:
  std::uint64_t state_;
};

inline double Distance(const Vector3& a, const Vector3& b) {
  return std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) + (a.z - b.z) * (a.z - b.z));
}

}  // namespace orvendi::testing
