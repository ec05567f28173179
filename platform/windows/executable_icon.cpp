#include "executable_icon.h"

#include <QImage>
#include <QPixmap>

#include <windows.h>

QIcon ExecutableIcon()
{
    QIcon icon;
    for (const int size : {16, 20, 24, 32, 40, 48, 64}) {
        auto* handle = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1),
                                                     IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        if (!handle)
            continue;
        const QImage image = QImage::fromHICON(handle);
        DestroyIcon(handle);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}
