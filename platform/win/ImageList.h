// Image lists: rows of same-sized pictures, with a mask colour made transparent.
#pragma once

#include "platform/win/CommCtrl.h"

#include <QPixmap>

#include <memory>
#include <vector>

namespace winplat
{

struct ImageListObject
{
    int cx = 16;
    int cy = 16;
    UINT flags = 0;
    int grow = 1;
    std::vector<QPixmap> images;
};

std::shared_ptr<ImageListObject> ImageListOf(HIMAGELIST h);

} // namespace winplat
