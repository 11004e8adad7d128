#pragma once

#include <QIcon>
#include <QPixmap>

namespace brellow {

// The program's 32 x 32 icon, shown in the notification area.
QIcon ProgramIconImage();

// The maker's 80 x 80 logo.
QPixmap MakerLogo();

}  // namespace brellow
