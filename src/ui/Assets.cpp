#include "ui/Assets.h"

#include <QString>

// The pictures are compiled into the library; a static library's resources must be
// registered by hand before their first use.
static void RegisterAssets()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(assets);
        return true;
    }();
    (void)registered;
}

namespace brellow {

QIcon ProgramIconImage()
{
    RegisterAssets();
    return QIcon(QStringLiteral(":/brellow/icon32.png"));
}

QPixmap MakerLogo()
{
    RegisterAssets();
    return QPixmap(QStringLiteral(":/brellow/logo80.png"));
}

}  // namespace brellow
