#include "core/app/menu_model.h"

#include <array>

#include "core/design/design_record.h"
#include "core/views/view_geometry.h"
#include "core/views/view_state.h"

namespace orvendi {

namespace {

constexpr MenuEntry kSeparator{0, {}};

constexpr std::string_view kNewKeys[] = {"Ctrl+N"};
constexpr std::string_view kOpenKeys[] = {"Ctrl+O"};
constexpr std::string_view kSaveKeys[] = {"Ctrl+S"};
constexpr std::string_view kSaveAsKeys[] = {"Ctrl+Shift+S"};
constexpr std::string_view kUndoKeys[] = {"Ctrl+Z"};
constexpr std::string_view kRedoKeys[] = {"Ctrl+Shift+Z", "Ctrl+Y"};

constexpr std::array kFileEntries{
    MenuEntry{kCmdNew, "&New", kNewKeys},
    MenuEntry{kCmdOpen, "&Open...", kOpenKeys},
    MenuEntry{kCmdOpenRecent, "Open &Recent", {}, true},
    kSeparator,
    MenuEntry{kCmdSave, "&Save", kSaveKeys},
    MenuEntry{kCmdSaveAs, "Save &As...", kSaveAsKeys},
    kSeparator,
    MenuEntry{kCmdExportCsv, "&Export Results as CSV..."},
    kSeparator,
    MenuEntry{kCmdExit, "E&xit"},
};

constexpr std::array kEditEntries{
    MenuEntry{kCmdUndo, "&Undo", kUndoKeys},
    MenuEntry{kCmdRedo, "&Redo", kRedoKeys},
};

constexpr std::array kClipboardEntries{
    MenuEntry{kCmdCopy, "&Copy"},
};

constexpr std::array kViewEntries{
    MenuEntry{kCmdViewPlan, "View &Plan"},
    MenuEntry{kCmdViewFront, "View &Front"},
    MenuEntry{kCmdViewSide, "View &Side"},
    kSeparator,
    MenuEntry{kCmdViewGenerators, "View &Generators"},
    MenuEntry{kCmdViewBed, "View Be&d"},
    MenuEntry{kCmdViewActualMap, "View &Actual Position Map"},
    MenuEntry{kCmdViewMeasuredMap, "View &Measured Position Map"},
    MenuEntry{kCmdViewBField, "View &B Field"},
    MenuEntry{kCmdViewErrorMap, "View &Error Map"},
    kSeparator,
    MenuEntry{kCmdViewOptions, "&Options..."},
    MenuEntry{kCmdErrorMapSettings, "Error Map Se&ttings..."},
    MenuEntry{kCmdPreferences, "P&references..."},
};

constexpr std::array kScaleEntries{
    MenuEntry{kCmdScale50, "50% Scale"},   MenuEntry{kCmdScale75, "75% Scale"},
    MenuEntry{kCmdScale100, "100% Scale"}, MenuEntry{kCmdScale150, "150% Scale"},
    MenuEntry{kCmdScale200, "200% Scale"},
};

constexpr std::array kDesignEntries{
    MenuEntry{kCmdAlgorithmType, "&Algorithm type..."},
    MenuEntry{kCmdFrequency, "&Frequency..."},
    MenuEntry{kCmdGeneratorDesign, "&Generator Coil Design..."},
    MenuEntry{kCmdGeneratorPosition, "Generator &Position"},
    MenuEntry{kCmdSensorDesign, "&Sensor Design"},
    MenuEntry{kCmdBedDesign, "Bed Desi&gn"},
    MenuEntry{kCmdBedPosition, "Bed Posi&tion"},
};

constexpr std::array kMeasurementEntries{
    MenuEntry{kCmdSignalNoise, "Signal &Noise..."}, MenuEntry{kCmdSensorOrientation, "Sensor &Orientation"},
    MenuEntry{kCmdScanOptions, "&Scan Options..."}, MenuEntry{kCmdDipoleType, "&Dipole Type..."},
    MenuEntry{kCmdBedOptions, "&Bed Options..."},
};

constexpr std::array kResultsEntries{
    MenuEntry{kCmdCalculate, "Calcula&te"},
    MenuEntry{kCmdLiveUpdate, "&Live Update"},
    MenuEntry{kCmdPositionalError, "Positional Error..."},
    MenuEntry{kCmdBedVoltages, "Bed &Voltages..."},
    MenuEntry{kCmdBedCurrents, "Bed &Currents..."},
    kSeparator,
    MenuEntry{kCmdMonteCarlo, "&Monte Carlo..."},
    MenuEntry{kCmdSweep, "&Sweep..."},
    MenuEntry{kCmdErrorDistancePlot, "Error against &Distance"},
    MenuEntry{kCmdErrorHistogram, "Error &Histogram"},
};

constexpr std::array kHelpEntries{
    MenuEntry{kCmdAbout, "&About..."},
};

constexpr std::array kPopups{
    MenuPopup{"&File", kFileEntries},       MenuPopup{"&Edit", kEditEntries},
    MenuPopup{"&Clipboard", kClipboardEntries},
    MenuPopup{"&View", kViewEntries},       MenuPopup{"&Scale", kScaleEntries},
    MenuPopup{"&Design", kDesignEntries},   MenuPopup{"&Measurement Options", kMeasurementEntries},
    MenuPopup{"&Results", kResultsEntries}, MenuPopup{"&Help", kHelpEntries},
};

MenuMark Check(bool on) { return MenuMark{true, on, true}; }

}  // namespace

std::span<const MenuPopup> CommandMenu() { return kPopups; }

MenuMark MenuMarks(int id, const DesignRecord& design, const ViewState& view) {
  switch (id) {
    case kCmdViewPlan:
      return Check(view.current_view == 0);
    case kCmdViewFront:
      return Check(view.current_view == 1);
    case kCmdViewSide:
      return Check(view.current_view == 2);
    case kCmdViewGenerators:
      return Check(design.show_generators != 0);
    case kCmdViewBed:
      return Check(design.show_bed != 0);
    case kCmdViewActualMap:
      return Check(design.show_actual_map != 0);
    case kCmdViewMeasuredMap:
      return Check(design.show_measured_map != 0);
    case kCmdViewErrorMap:
      return Check(design.show_error_map != 0);
    case kCmdViewBField:
      return Check(design.show_b_field != 0);
    case kCmdGeneratorPosition:
      return Check(design.edit_mode == 0);
    case kCmdBedPosition:
      return Check(design.edit_mode == 1);
    case kCmdScale50:
    case kCmdScale75:
    case kCmdScale100:
    case kCmdScale150:
    case kCmdScale200:
      return Check(view.scale_percent == ScalePercentOf(id));
    case kCmdLiveUpdate:
      // A setting of the program, not of the records: the window sets the check.
      return MenuMark{true, false, true};
    case kCmdPositionalError:
    case kCmdExportCsv:
    case kCmdErrorDistancePlot:
    case kCmdErrorHistogram:
      return MenuMark{false, false, design.results_valid != 0};
    default:
      return MenuMark{};
  }
}

int ScalePercentOf(int id) {
  static_assert(std::size(kScalePercents) == kCmdScale200 - kCmdScale50 + 1, "one scale per command");
  if (id < kCmdScale50 || id > kCmdScale200) return 0;
  return kScalePercents[id - kCmdScale50];
}

WindowPlacement MainWindowPlacement(int screen_width, int screen_height) {
  WindowPlacement placement{50, 50, screen_width - 100, screen_height - 100};
  if (placement.width < 0) {
    placement.left = 0;
    placement.width = screen_width;
  }
  if (placement.height < 0) {
    placement.top = 0;
    placement.height = screen_height;
  }
  return placement;
}

std::string StepCaption(std::string_view caption, std::string_view step_name) {
  std::string text(caption);
  if (!step_name.empty()) {
    text += ' ';
    text += step_name;
  }
  return text;
}

}  // namespace orvendi
