#pragma once

// Who made the program and where to reach them: the caption, the status bar and the About
// box show these.

namespace orvane {

inline constexpr const char* kProductTitle = "Orvane";
inline constexpr const char* kMakerName = "Orvane 网络优化工作室";
inline constexpr const char* kMakerWebAddress = "www.orvane.example.org";
inline constexpr const char* kMakerMailAddress = "orvane@example.org";

}  // namespace orvane
