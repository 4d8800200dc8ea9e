#pragma once

#include <string>
#include <vector>

#include "core/design/design_record.h"

namespace orvendi {

// Values a design file accepts but that describe no physical system: a bed resistance,
// frequency, coil side, turn count or sensor sensitivity that is not above 0, negative noise,
// and an included bed without area. One message "KEY: what is wrong" each, in file order;
// empty when there is none.
std::vector<std::string> PhysicalWarnings(const DesignRecord& design);

}  // namespace orvendi
