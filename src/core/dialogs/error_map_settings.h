#pragma once

#include <optional>
#include <string>

#include "core/design/design_record.h"

namespace orvendi {

// The factors the Error Map dialog lists; any other within the range can be typed.
inline constexpr double kListedMagnifications[] = {1.0, 10.0, 100.0, 1000.0};

// A typed magnification; empty with a message when it is no number or out of range.
std::optional<double> ReadMagnification(const std::string& text, std::string& error);

// The magnification as its entry shows it ("100", "2.5").
std::string ShowMagnification(double factor);

// Whether the map may show `quantity`: the error and the distortion always, trueness and precision
// only with a Monte-Carlo result of the current design, the precision bound with that or a bound
// run of it.
bool ErrorQuantityAvailable(int quantity, bool monte_carlo_current, bool bound_current = false);

}  // namespace orvendi
