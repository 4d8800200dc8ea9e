#pragma once

namespace orvendi {

// A point in metres or a field in tesla, in world axes (z up).
struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;

  friend Vector3 operator+(const Vector3& a, const Vector3& b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
  Vector3& operator+=(const Vector3& b) {
    x += b.x;
    y += b.y;
    z += b.z;
    return *this;
  }
  friend bool operator==(const Vector3&, const Vector3&) = default;
};

}  // namespace orvendi
