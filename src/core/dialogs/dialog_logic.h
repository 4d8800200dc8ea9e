#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace orvendi {

struct DesignRecord;

// What a dialog's controls hold, by control id: the text of each edit box and the check state
// of each check box and radio button. The logic fills it from the record and stores from it;
// the widgets only show and collect it.
struct DialogFields {
  std::map<int, std::string> texts;
  std::map<int, bool> checks;

  // Empty text or unchecked for an id the dialog does not have.
  std::string Text(int id) const;
  bool Checked(int id) const;
};

// Show and read conversions of an edit box.
enum class EntryFormat {
  kGeneral,  // shown with "%g" / "%lg", read with "%lf"
  kFixed3,   // shown with "%3.3lf", read with "%lf"
  kInteger,  // shown and read with "%d"
};

std::string ShowEntry(double value, EntryFormat format);
// The entry's value; empty when the text does not begin with a number or an integer entry does
// not fit in 32 bits, and the field then keeps its previous value.
std::optional<double> ReadEntry(std::string_view text, EntryFormat format);

// An edit box bound to a value of the record. `show` gives the value as the box shows it,
// `store` writes an entry back (with its scaling and into every copy of the field).
struct EditBinding {
  int id;
  EntryFormat format;
  double (*show)(const DesignRecord&);
  void (*store)(DesignRecord&, double);
};

struct CheckBinding {
  int id;
  std::int32_t (*get)(const DesignRecord&);
  void (*set)(DesignRecord&, std::int32_t);
};

struct RadioButton {
  int id;
  std::int32_t value;  // the field value that checks this button on opening
  bool tested_on_ok;   // OK stores `value` when this button is checked
};

// Radio buttons of one field. On OK the field starts from `otherwise` (or keeps its value
// when there is none); then each tested button, in order, that is checked stores its value.
struct RadioBinding {
  std::vector<RadioButton> buttons;
  std::optional<std::int32_t> otherwise;
  std::int32_t (*get)(const DesignRecord&);
  void (*set)(DesignRecord&, std::int32_t);
};

using DialogBinding = std::variant<EditBinding, CheckBinding, RadioBinding>;

// One settings dialog: its controls in the order OK stores them.
struct SettingsDialog {
  std::string_view resource_name;
  std::string_view title;
  bool sets_bed_stale;
  std::vector<DialogBinding> bindings;
};

// The settings dialogs ("AlgorithmType", "Frequency", ..., "ViewOptions", "Targets").
const std::vector<SettingsDialog>& SettingsDialogs();
// Null for a name that is not a settings dialog.
const SettingsDialog* FindSettingsDialog(std::string_view resource_name);

// The controls' contents on opening.
DialogFields FillSettingsDialog(const SettingsDialog& dialog, const DesignRecord& design);
// OK: every binding in order, then bed_stale where the dialog says so. False, with the design
// unchanged and `error` (when given) saying why, when the entries leave a value a design file
// refuses: a sensor or sheet value that is not finite and above 0, or a sheet of more cells than
// the sheet model takes.
bool StoreSettingsDialog(const SettingsDialog& dialog, const DialogFields& fields, DesignRecord& design,
                         std::string* error = nullptr);

// The same by resource name; false also when there is no such settings dialog.
bool FillSettingsDialog(std::string_view resource_name, const DesignRecord& design, DialogFields& fields);
bool StoreSettingsDialog(std::string_view resource_name, const DialogFields& fields, DesignRecord& design,
                         std::string* error = nullptr);

}  // namespace orvendi
