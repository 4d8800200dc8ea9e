#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "core/design/design_record.h"
#include "core/dialogs/dialog_logic.h"

namespace orvendi {

class Host;
class ResultBuffer;

// "%g+i%g" of the real and imaginary part, or "%g-i%g" with the imaginary part's magnitude when
// it is negative: 0.5-i0.25, 0.5+i0.25, 1+i0.
std::string FormatComplex(Phasor value);

// The nine phasors of a bed dialog in coil-index order, each as FormatComplex writes it.
std::array<std::string, kCoilCount> PhasorTexts(const std::array<Phasor, kCoilCount>& values);

// The nine phasors as the bed dialogs show them, from the stored results.
DialogFields BedVoltageFields(const DesignRecord& design);
DialogFields BedCurrentFields(const DesignRecord& design);
// The two errors with "%lf", from the stored values.
DialogFields PositionAccuracyFields(const DesignRecord& design);

// Opening a bed dialog: the bed results are brought up to date first (through the host, which
// may cancel; the stored results, still marked stale, are then shown).
DialogFields OpenBedVoltages(DesignRecord& design, Host& host);
DialogFields OpenBedCurrents(DesignRecord& design, Host& host);
// Opening the accuracy dialog: the statistics are computed afresh from the last run.
DialogFields OpenPositionAccuracy(DesignRecord& design, const ResultBuffer& results);

}  // namespace orvendi
