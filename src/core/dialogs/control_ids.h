#pragma once

namespace orvendi {

// The controls of every dialog by id: the logic fills and reads them by these numbers and the
// widgets carry them as object names ("2067"), so both sides must use the same constants.
namespace control_ids {

inline constexpr int kOk = 1;
inline constexpr int kCancel = 2;
// The group boxes of the bed result dialogs, one per generator.
inline constexpr int kFirstGeneratorGroup = 100;

inline constexpr int kBedOhmsPerMetre = 2010;
// "ScanOptions".
inline constexpr int kXFrom = 2011, kXTo = 2012, kXStep = 2013;
inline constexpr int kYFrom = 2014, kYTo = 2015, kYStep = 2016;
inline constexpr int kZFrom = 2017, kZTo = 2018, kZStep = 2019;
inline constexpr int kXyPlane = 2020, kYzPlane = 2021, kZxPlane = 2022;
inline constexpr int kPlaneX = 2023, kPlaneY = 2024, kPlaneZ = 2025;
inline constexpr int kIncludeBedCurrents = 2039;

inline constexpr int kNoise = 2026;
inline constexpr int kOffset = 2027;
inline constexpr int kBedCellsX = 2028;
inline constexpr int kBedCellsY = 2029;
// The value boxes of the bed result dialogs, nine each in coil-index order.
inline constexpr int kFirstBedCurrent = 2030;
inline constexpr int kFirstBedVoltage = 2040;
inline constexpr int kPeakCurrent = 2049;
inline constexpr int kTurns = 2050;
inline constexpr int kSide = 2051;
// The nine coil check boxes of "ViewOptions", coil-index order.
inline constexpr int kFirstCoilDisplay = 2052;
inline constexpr int kDisplayBedField = 2061;
inline constexpr int kDots = 2062;
inline constexpr int kGrid = 2063;
inline constexpr int kTheta = 2064;
inline constexpr int kPhi = 2065;
inline constexpr int kSensitivity = 2066;
inline constexpr int kFrequency = 2067;
inline constexpr int kIdealDipole = 2068;
inline constexpr int kRealDipole = 2069;
inline constexpr int kMaxError = 2070;
inline constexpr int kRmsError = 2071;
inline constexpr int kAlgorithm1 = 2072;
inline constexpr int kAlgorithm2 = 2073;
inline constexpr int kAlgorithm3 = 2074;
// "SensorDesign": the sensor model and the induction coil.
inline constexpr int kFixedSensor = 2075, kInductionSensor = 2076;
inline constexpr int kSensorTurns = 2077, kSensorArea = 2078, kSensorGain = 2079;
// "CalcBedParams": the bed model and the sheet.
inline constexpr int kOutlineLoopBed = 2080, kSheetBed = 2081;
inline constexpr int kSheetOhmsPerSquare = 2082;
// "Targets".
inline constexpr int kTargetMaxError = 2083;
inline constexpr int kTargetRmsError = 2084;

}  // namespace control_ids

}  // namespace orvendi
