#include "core/analysis/sweep_check.h"

#include <string_view>

#include "core/analysis/csv_text.h"
#include "core/platform/progress.h"

namespace orvendi {

namespace {

// How many trials the up-front check makes between two looks at the cancel request.
constexpr std::int64_t kTrialsPerCheckReport = 1024;

std::string RowDescription(const std::vector<SweepAxis>& axes, std::int64_t row,
                           const std::vector<double>& values) {
  std::string text = "row " + std::to_string(row + 1) + " (";
  for (std::size_t a = 0; a < axes.size(); ++a) {
    if (a > 0) text += ", ";
    text += axes[a].key + "=" + NumberText(values[a]);
  }
  return text + ")";
}

// The name of the group the axis's values are judged in; empty for one judged alone.
std::string CheckGroup(const SweepOptions& options, std::string_view key) {
  if (options.key_group) return std::string(options.key_group(key));
  if (options.key_stands_alone && options.key_stands_alone(key)) return {};
  // Without word on the keys, every axis may depend on every other.
  return "*";
}

}  // namespace

bool ApplySweepRow(DesignRecord& design, const std::vector<SweepAxis>& axes, std::int64_t row,
                   const std::vector<double>& values, const DesignRowSetter& setter, std::string& error) {
  std::vector<std::string_view> keys;
  keys.reserve(axes.size());
  for (const SweepAxis& axis : axes) keys.push_back(axis.key);
  std::string reason;
  if (setter(design, keys, values, reason)) return true;
  error = RowDescription(axes, row, values) + ": " + (reason.empty() ? "the value is not accepted" : reason);
  return false;
}

bool FindFirstRefusedSweepRow(const DesignRecord& base, const SweepOptions& options,
                              const DesignRowSetter& setter, Progress& progress, std::int64_t& first) {
  const std::vector<SweepAxis>& axes = options.axes;
  std::vector<std::int64_t> stride(axes.size(), 1);
  for (std::size_t a = axes.size() - 1; a-- > 0;) stride[a] = stride[a + 1] * axes[a + 1].count;
  std::int64_t tries = 0;
  const auto go_on = [&] { return ++tries % kTrialsPerCheckReport != 0 || progress.Report(0.0); };
  const auto refused_at = [&first](std::int64_t row) {
    if (first < 0 || row < first) first = row;
  };
  first = -1;
  std::string reason;

  std::vector<std::string> group_names;
  std::vector<std::vector<std::size_t>> groups;
  for (std::size_t a = 0; a < axes.size(); ++a) {
    const std::string group = CheckGroup(options, axes[a].key);
    if (!group.empty()) {
      std::size_t g = 0;
      while (g < group_names.size() && group_names[g] != group) ++g;
      if (g == group_names.size()) {
        group_names.push_back(group);
        groups.emplace_back();
      }
      groups[g].push_back(a);
      continue;
    }
    const std::string_view key = axes[a].key;
    for (int i = 0; i < axes[a].count; ++i) {
      if (!go_on()) return false;
      DesignRecord trial = base;
      const double value = SweepAxisValue(axes[a], i);
      if (!setter(trial, {&key, 1}, {&value, 1}, reason)) {
        refused_at(i * stride[a]);
        break;
      }
    }
  }

  // Each group's combinations in row order, its last axis running fastest; the first refused one
  // is the group's first refused row.
  for (const std::vector<std::size_t>& group : groups) {
    std::vector<std::string_view> keys;
    for (const std::size_t a : group) keys.push_back(axes[a].key);
    std::vector<int> index(group.size(), 0);
    std::vector<double> values(group.size());
    while (true) {
      if (!go_on()) return false;
      std::int64_t row = 0;
      for (std::size_t t = 0; t < group.size(); ++t) {
        row += index[t] * stride[group[t]];
        values[t] = SweepAxisValue(axes[group[t]], index[t]);
      }
      DesignRecord trial = base;
      if (!setter(trial, keys, values, reason)) {
        refused_at(row);
        break;
      }
      std::size_t t = group.size();
      while (t > 0 && ++index[t - 1] == axes[group[t - 1]].count) index[--t] = 0;
      if (t == 0) break;
    }
  }
  return true;
}

}  // namespace orvendi
