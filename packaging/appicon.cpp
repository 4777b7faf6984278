#include "packaging/appicon.h"

#include <QSize>

QIcon appIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/vantrel-%1.png").arg(size), QSize(size, size));
    return icon;
}
