#include "core/dialogs/error_map_settings.h"

#include "core/design/number_text.h"

namespace orvendi {

std::optional<double> ReadMagnification(const std::string& text, std::string& error) {
  const std::string entry = TrimBlanks(text);
  double factor = 0.0;
  std::string reason;
  if (!ReadWholeDouble(entry, factor, reason)) {
    error = "Magnification: " + reason;
    return std::nullopt;
  }
  if (!ValidErrorMagnification(factor)) {
    error = "Magnification: " + ShowMagnification(factor) + " is outside " + ShowMagnification(kMinErrorMagnification) +
            " to " + ShowMagnification(kMaxErrorMagnification);
    return std::nullopt;
  }
  return factor;
}

std::string ShowMagnification(double factor) { return FormatNumber(factor, ShowFormat::kGeneral); }

bool ErrorQuantityAvailable(int quantity, bool monte_carlo_current, bool bound_current) {
  if (quantity == kErrorMapError || quantity == kErrorMapDistortion) return true;
  if (quantity == kErrorMapBound) return monte_carlo_current || bound_current;
  return (quantity == kErrorMapTrueness || quantity == kErrorMapPrecision) && monte_carlo_current;
}

}  // namespace orvendi
