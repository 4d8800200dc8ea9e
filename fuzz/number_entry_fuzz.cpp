// Any text typed into a dialog entry: reading never crashes, and what the entry shows of a value
// reads back to a value that shows the same.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/design/number_text.h"
#include "core/dialogs/dialog_logic.h"
#include "fuzz_check.h"

namespace {

void EntryRoundTrip(std::string_view text, orvendi::EntryFormat format) {
  const std::optional<double> value = orvendi::ReadEntry(text, format);
  if (!value) return;
  const std::string shown = orvendi::ShowEntry(*value, format);
  // An entry hands over only its first kEntryTextLimit characters: a value shown longer than
  // that (beyond 1e124 with three decimals) cannot come back whole.
  if (shown.size() > orvendi::kEntryTextLimit) return;
  const std::optional<double> reread = orvendi::ReadEntry(shown, format);
  FUZZ_CHECK(reread.has_value(), "what an entry shows reads back");
  FUZZ_CHECK(orvendi::ShowEntry(*reread, format) == shown, "show, read, show is stable");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  EntryRoundTrip(text, orvendi::EntryFormat::kGeneral);
  EntryRoundTrip(text, orvendi::EntryFormat::kFixed3);
  EntryRoundTrip(text, orvendi::EntryFormat::kInteger);

  if (const std::optional<std::int32_t> n = orvendi::ReadInteger(text)) {
    FUZZ_CHECK(orvendi::ReadInteger(orvendi::FormatInteger(*n)) == n, "an integer reads back exactly");
  }
  if (const std::optional<double> v = orvendi::ReadDouble(text)) {
    const std::string fixed = orvendi::FormatNumber(*v, orvendi::ShowFormat::kFixed6);
    FUZZ_CHECK(fixed.size() < 400, "a shown number stays short");
    FUZZ_CHECK(orvendi::ReadDouble(fixed).has_value(), "a shown number reads");
  }
  return 0;
}
