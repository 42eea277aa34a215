#pragma once

#include <QIcon>
#include <QImage>
#include <array>

namespace orvane {

// The pictures of the program are drawn, so that nothing but the executable is needed.
// The program icon in every size it is drawn in; the install puts these into the icon theme.
inline constexpr std::array<int, 8> kProgramIconSizes = {16, 22, 24, 32, 48, 64, 128, 256};
QImage ProgramIconImage(int size);
QIcon ProgramIcon();
// The function tree's four entries: discrete points, base stations, drive test, CQT.
QIcon FunctionIcon(int index);

}  // namespace orvane
