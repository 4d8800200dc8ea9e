// Any text as the command line's --vary, --shard and a sweep key: parsing never crashes, a parsed
// axis gives its count of finite values from FROM to TO, the shards of a sweep cover every row
// once, and a key sets a design value only where the key exists.
#include <cmath>
#include <cstring>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/analysis/sweep.h"
#include "core/design/design_file.h"
#include "core/design/design_record.h"
#include "fuzz_check.h"

namespace {

void CheckAxis(std::string_view text) {
  std::string error;
  const std::optional<orvendi::SweepAxis> axis = orvendi::ParseSweepAxis(text, error);
  if (!axis) {
    FUZZ_CHECK(!error.empty(), "a refused axis says why");
    return;
  }
  FUZZ_CHECK(axis->count >= 1, "an axis has a value");
  FUZZ_CHECK(orvendi::SweepAxisValue(*axis, 0) == axis->from, "the first value is FROM");
  FUZZ_CHECK(orvendi::SweepAxisValue(*axis, axis->count - 1) == (axis->count == 1 ? axis->from : axis->to),
             "the last value is TO");
  const std::int64_t step = axis->count > 64 ? axis->count / 64 : 1;
  for (std::int64_t i = 0; i < axis->count; i += step) {
    FUZZ_CHECK(std::isfinite(orvendi::SweepAxisValue(*axis, static_cast<int>(i))), "every value is finite");
  }
}

void CheckShard(std::string_view text, std::int64_t total) {
  std::string error;
  const std::optional<orvendi::SweepShard> shard = orvendi::ParseSweepShard(text, error);
  if (!shard) {
    FUZZ_CHECK(!error.empty(), "a refused shard says why");
    return;
  }
  FUZZ_CHECK(shard->index >= 1 && shard->index <= shard->count, "1 <= I <= N");
  const orvendi::SweepRowRange rows = orvendi::ShardRows(total, *shard);
  FUZZ_CHECK(0 <= rows.first && rows.first <= rows.last && rows.last <= total, "a shard's rows lie in the sweep");
  if (shard->index > 1) {
    const orvendi::SweepRowRange before = orvendi::ShardRows(total, {shard->index - 1, shard->count});
    FUZZ_CHECK(before.last == rows.first, "shards meet without gap or overlap");
  }
  if (shard->index == shard->count) FUZZ_CHECK(rows.last == total, "the last shard ends the sweep");
}

void CheckKey(std::string_view key, double value) {
  orvendi::DesignRecord design;
  orvendi::ApplyDesignDefaults(design);
  const std::string before = orvendi::WriteDesignJson(design, {});
  std::string error;
  const bool known = orvendi::GetDesignNumber(design, key).has_value();
  const bool set = orvendi::SetDesignNumber(design, key, value, error);
  if (!known) FUZZ_CHECK(!set, "an unknown key sets nothing");
  if (!set) {
    FUZZ_CHECK(!error.empty(), "a refused value says why");
    FUZZ_CHECK(orvendi::WriteDesignJson(design, {}) == before, "a refused value leaves the design alone");
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CheckAxis(text);
  std::int64_t total = 0;
  for (std::size_t i = 0; i < size && i < 8; ++i) total = (total << 8) | data[i];
  CheckShard(text, total < 0 ? -(total + 1) : total);

  // "KEY VALUE": the key from the text before the first blank, the value from eight bytes after it.
  const std::size_t blank = text.find(' ');
  const std::string_view key = text.substr(0, blank);
  double value = 0.5;
  if (blank != std::string_view::npos && size - blank - 1 >= sizeof value) {
    std::memcpy(&value, data + blank + 1, sizeof value);
  }
  CheckKey(key, value);
  return 0;
}
