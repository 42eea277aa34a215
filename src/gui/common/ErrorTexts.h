#pragma once

// The texts of errors as the desktop shows them. The core words its errors in English; the
// fixed texts of the error box ("Cannot open file %s", "'%s' is not a valid integer value"
// and the like) stay as they are, and the program's own texts are shown in Chinese,
// recognised by how they begin. An output file that cannot be created gets its reason.

#include <QString>
#include <exception>
#include <string_view>

namespace orvane {

QString DesktopErrorText(std::string_view message);
QString DesktopErrorText(const std::exception& error);

}  // namespace orvane
