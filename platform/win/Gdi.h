// The layer's drawing objects behind GDI handles, and device contexts over QPainter.
#pragma once

#include "platform/win/WinGdi.h"

#include <QBrush>
#include <QFont>
#include <QIcon>
#include <QImage>
#include <QPainter>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>
#include <string>

namespace winplat
{

struct GdiObject
{
    enum class Kind
    {
        Font,
        Brush,
        Bitmap
    };
    explicit GdiObject(Kind k) : kind(k) {}
    virtual ~GdiObject() = default;
    Kind kind;
    bool stock = false;
};

struct FontObject final : GdiObject
{
    FontObject() : GdiObject(Kind::Font) {}
    LOGFONTW logFont{};
    QFont font;
};

struct BrushObject final : GdiObject
{
    BrushObject() : GdiObject(Kind::Brush) {}
    UINT style = BS_SOLID;
    COLORREF color = 0;
    QBrush brush;
};

struct BitmapObject final : GdiObject
{
    BitmapObject() : GdiObject(Kind::Bitmap) {}
    QImage image;
    WORD bitsPerPixel = 24;
};

std::shared_ptr<GdiObject> GdiObjectOf(HGDIOBJ h);
std::shared_ptr<FontObject> FontObjectOf(HFONT h);
std::shared_ptr<BrushObject> BrushObjectOf(HBRUSH h);
std::shared_ptr<BitmapObject> BitmapObjectOf(HBITMAP h);
std::optional<QFont> FontOf(HFONT h);
HFONT AddFont(const QFont& font);
HBITMAP AddBitmap(QImage image, WORD bitsPerPixel);

QFont FontFromLogFont(const LOGFONTW& lf);
LOGFONTW LogFontFromFont(const QFont& font);
QColor ColorOf(COLORREF c);
COLORREF ColorRefOf(const QColor& c);
// The font a dialog template names, at its point size.
QFont DialogFont(std::u16string_view face, int pointSize);

// Icons and cursors.
struct IconObject
{
    QIcon icon;
    bool cursor = false;
    Qt::CursorShape shape = Qt::ArrowCursor;
    bool shared = false; // loaded from resources: lives as long as the program
};
std::shared_ptr<IconObject> IconObjectOf(HICON h);
HICON AddIcon(std::shared_ptr<IconObject> icon);
QIcon WindowIconOf(HICON big, HICON small);

// A device context: drawing state plus, while a window paints, the painter.
struct DeviceContext
{
    HWND hwnd = nullptr;
    QPointer<QWidget> widget;
    QPainter* painter = nullptr;
    QPoint origin; // client (0,0) in the painter's coordinates
    HFONT font = nullptr;
    HBRUSH brush = nullptr;
    HBITMAP bitmap = nullptr;
    COLORREF textColor = 0;
    COLORREF bkColor = 0xFFFFFF;
    int bkMode = OPAQUE;
};
std::shared_ptr<DeviceContext> DeviceContextOf(HDC h);
HDC AddDeviceContext(std::shared_ptr<DeviceContext> dc);
void RemoveDeviceContext(HDC h);
QFont FontOfDc(const DeviceContext& dc);

// While a window's widget paints: the context BeginPaint hands out.
class PaintScope
{
public:
    PaintScope(HWND hwnd, QWidget* widget, QPainter* painter, QPoint origin);
    ~PaintScope();
    PaintScope(const PaintScope&) = delete;
    PaintScope& operator=(const PaintScope&) = delete;
    HDC Dc() const noexcept { return m_hdc; }
    static HDC CurrentFor(HWND hwnd);

private:
    HDC m_hdc;
    HWND m_hwnd;
    PaintScope* m_outer;
};

std::string ToUtf8Text(std::u16string_view s);

} // namespace winplat
