#pragma once

// Texts at the boundary of the Windows API: UTF-8 inside the program, UTF-16 ("wide") for the
// system's …W functions.

#include <string>
#include <string_view>

namespace orvane {

// UTF-8 as UTF-16; ill-formed bytes become U+FFFD.
std::wstring Widen(std::string_view utf8);

// UTF-16 as UTF-8; a lone surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);

}  // namespace orvane
