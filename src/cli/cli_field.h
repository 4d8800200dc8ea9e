#pragma once

#include <string>

#include "cli/cli_commands.h"
#include "core/field/field_probe.h"

namespace orvendi {

struct FieldArgs {
  std::string file;
  std::string at;  // "X,Y,Z"
  bool json = false;
  std::string threads;  // empty: every core
};

// "field": brings the bed results up to date, then prints each coil's field at the point and the
// bed's field there.
int CliField(const FieldArgs& args, CliProgress& progress, const Console& console);

std::string FieldText(const Vector3& point, const std::array<CoilProbe, kCoilCount>& probes);
std::string FieldJson(const Vector3& point, const std::array<CoilProbe, kCoilCount>& probes);

}  // namespace orvendi
