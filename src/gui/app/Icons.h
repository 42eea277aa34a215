#pragma once

#include <QIcon>

namespace orvane {

// The pictures of the program are drawn, so that nothing but the executable is needed.
QIcon ProgramIcon();
// The function tree's four entries: discrete points, base stations, drive test, CQT.
QIcon FunctionIcon(int index);

}  // namespace orvane
