#include "platform/win/ImageList.h"

#include "platform/win/Gdi.h"
#include "platform/win/Handles.h"

namespace winplat
{

namespace
{

HandleTable<ImageListObject>& Table()
{
    static auto* table = new HandleTable<ImageListObject>(0x600000);
    return *table;
}

int AddImages(ImageListObject& list, QImage strip)
{
    if (strip.isNull() || list.cx <= 0)
        return -1;
    const int first = static_cast<int>(list.images.size());
    for (int x = 0; x + list.cx <= strip.width(); x += list.cx)
        list.images.push_back(QPixmap::fromImage(strip.copy(x, 0, list.cx, list.cy)));
    return static_cast<int>(list.images.size()) > first ? first : -1;
}

} // namespace

std::shared_ptr<ImageListObject> ImageListOf(HIMAGELIST h)
{
    return Table().Find(h);
}

} // namespace winplat

using namespace winplat;

HIMAGELIST ImageList_Create(int cx, int cy, UINT flags, int, int cGrow)
{
    if (cx <= 0 || cy <= 0)
        return nullptr;
    auto list = std::make_shared<ImageListObject>();
    list->cx = cx;
    list->cy = cy;
    list->flags = flags;
    list->grow = cGrow;
    return Table().Add<HIMAGELIST>(list);
}

BOOL ImageList_Destroy(HIMAGELIST himl)
{
    return Table().Remove(himl) ? TRUE : FALSE;
}

int ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask)
{
    auto list = ImageListOf(himl);
    auto bitmap = BitmapObjectOf(hbmImage);
    if (!list || !bitmap)
        return -1;
    QImage image = bitmap->image.convertToFormat(QImage::Format_ARGB32);
    if (auto mask = BitmapObjectOf(hbmMask); mask && (list->flags & ILC_MASK))
    {
        // White in the mask is transparent.
        for (int y = 0; y < image.height() && y < mask->image.height(); ++y)
            for (int x = 0; x < image.width() && x < mask->image.width(); ++x)
                if (qGray(mask->image.pixel(x, y)) > 127)
                    image.setPixel(x, y, qRgba(0, 0, 0, 0));
    }
    return AddImages(*list, image);
}

int ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask)
{
    auto list = ImageListOf(himl);
    auto bitmap = BitmapObjectOf(hbmImage);
    if (!list || !bitmap)
        return -1;
    QImage image = bitmap->image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = qRgb(GetRValue(crMask), GetGValue(crMask), GetBValue(crMask));
    for (int y = 0; y < image.height(); ++y)
    {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            if ((line[x] & 0x00FFFFFFu) == (key & 0x00FFFFFFu))
                line[x] = qRgba(0, 0, 0, 0);
    }
    return AddImages(*list, image);
}

int ImageList_GetImageCount(HIMAGELIST himl)
{
    auto list = ImageListOf(himl);
    return list ? static_cast<int>(list->images.size()) : 0;
}

BOOL ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy)
{
    auto list = ImageListOf(himl);
    if (!list || cx == nullptr || cy == nullptr)
        return FALSE;
    *cx = list->cx;
    *cy = list->cy;
    return TRUE;
}
