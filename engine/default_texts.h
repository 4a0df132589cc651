// The texts the tool starts with: every anchor into one web site gets its underline struck
// through, and all other text is left alone. Shared by every front end.
#pragma once

namespace engine {

inline constexpr const char* kDefaultStart = "<a href=\"https://www.example.com/";
inline constexpr const char* kDefaultStop = "style=\"text-decoration: underline\">";
inline constexpr const char* kDefaultSearch = "underline";
inline constexpr const char* kDefaultReplacement = "underline line-through";

}  // namespace engine
