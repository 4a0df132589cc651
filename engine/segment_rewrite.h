// The segment rewrite, appending to a caller's buffer so that a pass allocates nothing per line.
#pragma once

#include <string>
#include <string_view>

#include "engine/case_rules.h"
#include "engine/engine.h"

namespace engine::detail {

// Appends the rewritten `line` to `out`.
void appendRewritten(std::string_view line, const Texts& texts, const CaseRules& rules,
                     std::string& out);

}  // namespace engine::detail
