// Any bytes as a design file: reading never crashes, and a design that reads back is written,
// read again and written again to the same text, with nothing lost on the way.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvendi::DesignRecord design;
  orvendi::ApplyDesignDefaults(design);
  orvendi::StoredView view;
  std::string error;
  const bool read = orvendi::ReadDesignJson(text, "fuzz.orvendi", design, view, error);
  FUZZ_CHECK(read == error.empty(), "a read fails exactly when it says why");
  FUZZ_CHECK(error.find('\n') == std::string::npos, "a read error is one line");

  const std::vector<std::string> problems = orvendi::ValidateDesignJson(text, "fuzz.orvendi");
  FUZZ_CHECK(read == problems.empty(), "validation agrees with reading");
  if (!read) return 0;

  const std::string first = orvendi::WriteDesignJson(design, view);
  orvendi::DesignRecord again;
  orvendi::ApplyDesignDefaults(again);
  orvendi::StoredView again_view;
  FUZZ_CHECK(orvendi::ReadDesignJson(first, "again", again, again_view, error), "a written design reads");
  FUZZ_CHECK(orvendi::WriteDesignJson(again, again_view) == first, "a design survives write and read");
  return 0;
}
