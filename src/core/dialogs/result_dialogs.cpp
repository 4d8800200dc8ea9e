#include "core/dialogs/result_dialogs.h"

#include "core/design/number_text.h"
#include "core/dialogs/control_ids.h"
#include "core/field/bed_model.h"
#include "core/position/accuracy.h"

namespace orvendi {

std::string FormatComplex(Phasor value) {
  const double re = value.real();
  const double im = value.imag();
  if (im < 0) return FormatNumber(re, ShowFormat::kGeneral) + "-i" + FormatNumber(-im, ShowFormat::kGeneral);
  // A negative zero is a zero imaginary part too: +i0, never +i-0.
  return FormatNumber(re, ShowFormat::kGeneral) + "+i" +
         FormatNumber(im == 0 ? 0.0 : im, ShowFormat::kGeneral);
}

std::array<std::string, kCoilCount> PhasorTexts(const std::array<Phasor, kCoilCount>& values) {
  std::array<std::string, kCoilCount> texts;
  for (int k = 0; k < kCoilCount; ++k) texts[k] = FormatComplex(values[k]);
  return texts;
}

namespace {

DialogFields PhasorFields(const std::array<Phasor, kCoilCount>& values, int first_box) {
  DialogFields fields;
  const std::array<std::string, kCoilCount> texts = PhasorTexts(values);
  for (int k = 0; k < kCoilCount; ++k) fields.texts[first_box + k] = texts[k];
  return fields;
}

}  // namespace

DialogFields BedVoltageFields(const DesignRecord& design) {
  return PhasorFields(design.bed_voltages, control_ids::kFirstBedVoltage);
}

DialogFields BedCurrentFields(const DesignRecord& design) {
  return PhasorFields(design.bed_currents, control_ids::kFirstBedCurrent);
}

DialogFields PositionAccuracyFields(const DesignRecord& design) {
  DialogFields fields;
  fields.texts[control_ids::kMaxError] = FormatNumber(design.max_error_m, ShowFormat::kFixed6);
  fields.texts[control_ids::kRmsError] = FormatNumber(design.rms_error_m, ShowFormat::kFixed6);
  return fields;
}

DialogFields OpenBedVoltages(DesignRecord& design, Host& host) {
  RefreshBedModel(design, host);
  return BedVoltageFields(design);
}

DialogFields OpenBedCurrents(DesignRecord& design, Host& host) {
  RefreshBedModel(design, host);
  return BedCurrentFields(design);
}

DialogFields OpenPositionAccuracy(DesignRecord& design, const ResultBuffer& results) {
  ComputePositionAccuracy(design, results);
  return PositionAccuracyFields(design);
}

}  // namespace orvendi
