// Shortens a text that does not fit its control by putting "…" in its middle.
#pragma once

#include <functional>
#include <string>

namespace ui {

inline constexpr std::string_view kEllipsis = "\u2026";

// `text` itself when fits(text); otherwise the longest "head…tail" that fits, keeping as many
// characters of the head as of the tail (one more at the tail when odd) and never splitting a
// UTF-8 sequence. When not even "…" fits, "…".
std::string elideMiddle(const std::string& text,
                        const std::function<bool(const std::string&)>& fits);

}  // namespace ui
