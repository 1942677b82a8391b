// GDI objects, device contexts, icons and system metrics on Qt.
#include "platform/win/Gdi.h"

#include "platform/base/CString.h"
#include "platform/win/Handles.h"
#include "platform/win/MessageLoop.h"
#include "platform/win/Resources.h"
#include "platform/win/Window.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <QStyle>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <mutex>

namespace winplat
{

namespace
{

HandleTable<GdiObject>& GdiTable()
{
    static auto* table = new HandleTable<GdiObject>(0x200000);
    return *table;
}
HandleTable<IconObject>& IconTable()
{
    static auto* table = new HandleTable<IconObject>(0x300000);
    return *table;
}
HandleTable<DeviceContext>& DcTable()
{
    static auto* table = new HandleTable<DeviceContext>(0x500000);
    return *table;
}

int ScreenDpi()
{
    if (QGuiApplication::primaryScreen() != nullptr)
        return static_cast<int>(
            std::lround(QGuiApplication::primaryScreen()->logicalDotsPerInch()));
    return 96;
}

QString SansFamily()
{
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

bool IsDialogFace(std::u16string_view face)
{
    static const std::u16string_view faces[] = {
        u"",         u"MS Shell Dlg",  u"MS Shell Dlg 2",
        u"Tahoma",   u"MS Sans Serif", u"Microsoft Sans Serif",
        u"Segoe UI", u"System"};
    return std::find(std::begin(faces), std::end(faces), face) != std::end(faces);
}

struct PaintState
{
    std::map<HWND, PaintScope*> current;
};
PaintState& Paints()
{
    static PaintState state;
    return state;
}

// Shared icons and cursors, one handle per resource or system id.
struct SharedIcons
{
    std::mutex mutex;
    std::map<std::pair<bool, std::uintptr_t>, HICON> byId;
};
SharedIcons& Shared()
{
    static auto* shared = new SharedIcons;
    return *shared;
}

HGDIOBJ StockObject(int i)
{
    static std::mutex mutex;
    static std::map<int, HGDIOBJ> stock;
    std::lock_guard lock(mutex);
    auto it = stock.find(i);
    if (it != stock.end())
        return it->second;
    std::shared_ptr<GdiObject> object;
    switch (i)
    {
    case WHITE_BRUSH:
    case LTGRAY_BRUSH:
    case GRAY_BRUSH:
    case DKGRAY_BRUSH:
    case BLACK_BRUSH:
    case NULL_BRUSH:
    {
        auto b = std::make_shared<BrushObject>();
        static const COLORREF colours[] = {RGB(255, 255, 255), RGB(192, 192, 192),
                                           RGB(128, 128, 128), RGB(64, 64, 64), RGB(0, 0, 0)};
        if (i == NULL_BRUSH)
        {
            b->style = BS_NULL;
            b->brush = QBrush(Qt::NoBrush);
        }
        else
        {
            b->color = colours[i];
            b->brush = QBrush(ColorOf(b->color));
        }
        object = b;
        break;
    }
    case ANSI_VAR_FONT:
    case SYSTEM_FONT:
    case DEFAULT_GUI_FONT:
    {
        auto f = std::make_shared<FontObject>();
        f->font = DialogFont(u"MS Shell Dlg", 8);
        f->logFont = LogFontFromFont(f->font);
        object = f;
        break;
    }
    default:
        return nullptr;
    }
    object->stock = true;
    HGDIOBJ h = GdiTable().Add<HGDIOBJ>(object);
    stock.emplace(i, h);
    return h;
}

} // namespace

std::string ToUtf8Text(std::u16string_view s)
{
    return ToUtf8(s);
}

std::shared_ptr<GdiObject> GdiObjectOf(HGDIOBJ h)
{
    return GdiTable().Find(h);
}

std::shared_ptr<FontObject> FontObjectOf(HFONT h)
{
    auto o = GdiTable().Find(h);
    return o && o->kind == GdiObject::Kind::Font ? std::static_pointer_cast<FontObject>(o)
                                                 : nullptr;
}

std::shared_ptr<BrushObject> BrushObjectOf(HBRUSH h)
{
    auto o = GdiTable().Find(h);
    return o && o->kind == GdiObject::Kind::Brush ? std::static_pointer_cast<BrushObject>(o)
                                                  : nullptr;
}

std::shared_ptr<BitmapObject> BitmapObjectOf(HBITMAP h)
{
    auto o = GdiTable().Find(h);
    return o && o->kind == GdiObject::Kind::Bitmap ? std::static_pointer_cast<BitmapObject>(o)
                                                   : nullptr;
}

std::optional<QFont> FontOf(HFONT h)
{
    if (auto f = FontObjectOf(h))
        return f->font;
    return std::nullopt;
}

HFONT AddFont(const QFont& font)
{
    auto f = std::make_shared<FontObject>();
    f->font = font;
    f->logFont = LogFontFromFont(font);
    return GdiTable().Add<HFONT>(f);
}

HBITMAP AddBitmap(QImage image, WORD bitsPerPixel)
{
    auto b = std::make_shared<BitmapObject>();
    b->image = std::move(image);
    b->bitsPerPixel = bitsPerPixel;
    return GdiTable().Add<HBITMAP>(b);
}

QColor ColorOf(COLORREF c)
{
    return QColor(GetRValue(c), GetGValue(c), GetBValue(c));
}

COLORREF ColorRefOf(const QColor& c)
{
    return RGB(static_cast<BYTE>(c.red()), static_cast<BYTE>(c.green()),
               static_cast<BYTE>(c.blue()));
}

QFont DialogFont(std::u16string_view face, int pointSize)
{
    // A dialog font is measured in whole pixels, as the screen gives it.
    LOGFONTW lf{};
    lf.lfHeight = -static_cast<LONG>(std::lround(pointSize * ScreenDpi() / 72.0));
    lf.lfWeight = FW_NORMAL;
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, lf.lfFaceName);
    return FontFromLogFont(lf);
}

QFont FontFromLogFont(const LOGFONTW& lf)
{
    std::u16string_view face(lf.lfFaceName);
    face = face.substr(0, std::min<size_t>(face.find(u'\0'), LF_FACESIZE));
    QFont font(IsDialogFace(face) ? SansFamily() : ToQ(face));
    if (lf.lfHeight < 0)
        font.setPixelSize(static_cast<int>(-lf.lfHeight));
    else if (lf.lfHeight > 0)
        font.setPixelSize(std::max(1, static_cast<int>(lf.lfHeight * 0.85)));
    else
        font.setPixelSize(static_cast<int>(std::lround(8 * ScreenDpi() / 72.0)));
    font.setWeight(lf.lfWeight >= FW_BOLD ? QFont::Bold : QFont::Normal);
    font.setItalic(lf.lfItalic != 0);
    font.setUnderline(lf.lfUnderline != 0);
    font.setStrikeOut(lf.lfStrikeOut != 0);
    return font;
}

LOGFONTW LogFontFromFont(const QFont& font)
{
    LOGFONTW lf{};
    const int px = font.pixelSize() > 0
                       ? font.pixelSize()
                       : static_cast<int>(std::lround(font.pointSizeF() * ScreenDpi() / 72.0));
    lf.lfHeight = -px;
    lf.lfWeight = font.bold() ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = font.italic() ? 1 : 0;
    lf.lfUnderline = font.underline() ? 1 : 0;
    lf.lfStrikeOut = font.strikeOut() ? 1 : 0;
    const std::u16string face = FromQ(font.family());
    const size_t n = std::min<size_t>(face.size(), LF_FACESIZE - 1);
    std::copy_n(face.data(), n, lf.lfFaceName);
    return lf;
}

std::shared_ptr<IconObject> IconObjectOf(HICON h)
{
    return IconTable().Find(h);
}

HICON AddIcon(std::shared_ptr<IconObject> icon)
{
    return IconTable().Add<HICON>(std::move(icon));
}

QIcon WindowIconOf(HICON big, HICON small)
{
    QIcon result;
    for (HICON h : {big, small})
        if (auto icon = IconObjectOf(h))
            for (const QSize& size : icon->icon.availableSizes())
                result.addPixmap(icon->icon.pixmap(size));
    return result;
}

std::shared_ptr<DeviceContext> DeviceContextOf(HDC h)
{
    return DcTable().Find(h);
}
HDC AddDeviceContext(std::shared_ptr<DeviceContext> dc)
{
    return DcTable().Add<HDC>(std::move(dc));
}
void RemoveDeviceContext(HDC h)
{
    DcTable().Remove(h);
}

QFont FontOfDc(const DeviceContext& dc)
{
    if (auto f = FontOf(dc.font))
        return *f;
    if (dc.widget)
        return dc.widget->font();
    return DialogFont(u"MS Shell Dlg", 8);
}

PaintScope::PaintScope(HWND hwnd, QWidget* widget, QPainter* painter, QPoint origin) : m_hwnd(hwnd)
{
    auto dc = std::make_shared<DeviceContext>();
    dc->hwnd = hwnd;
    dc->widget = widget;
    dc->painter = painter;
    dc->origin = origin;
    if (auto w = WindowOf(hwnd))
        dc->font = w->m_font;
    m_hdc = AddDeviceContext(dc);
    auto& current = Paints().current;
    auto it = current.find(hwnd);
    m_outer = it == current.end() ? nullptr : it->second;
    current[hwnd] = this;
}

PaintScope::~PaintScope()
{
    auto& current = Paints().current;
    if (m_outer != nullptr)
        current[m_hwnd] = m_outer;
    else
        current.erase(m_hwnd);
    RemoveDeviceContext(m_hdc);
}

HDC PaintScope::CurrentFor(HWND hwnd)
{
    auto& current = Paints().current;
    auto it = current.find(hwnd);
    return it == current.end() ? nullptr : it->second->Dc();
}

HICON SharedIcon(bool cursor, std::uintptr_t id,
                 const std::function<std::shared_ptr<IconObject>()>& make)
{
    SharedIcons& s = Shared();
    {
        std::lock_guard lock(s.mutex);
        auto it = s.byId.find({cursor, id});
        if (it != s.byId.end())
            return it->second;
    }
    std::shared_ptr<IconObject> icon = make();
    if (!icon)
        return nullptr;
    icon->shared = true;
    std::lock_guard lock(s.mutex);
    auto [it, inserted] = s.byId.emplace(std::make_pair(cursor, id), nullptr);
    if (inserted)
        it->second = AddIcon(icon);
    return it->second;
}

} // namespace winplat

using namespace winplat;

HGDIOBJ GetStockObject(int i)
{
    return StockObject(i);
}

BOOL DeleteObject(HGDIOBJ ho)
{
    auto o = GdiTable().Find(ho);
    if (!o)
        return FALSE;
    if (o->stock)
        return TRUE;
    return GdiTable().Remove(ho) ? TRUE : FALSE;
}

int GetObjectW(HANDLE h, int c, LPVOID pv)
{
    auto o = GdiTable().Find(reinterpret_cast<HGDIOBJ>(h));
    if (!o)
        return 0;
    switch (o->kind)
    {
    case GdiObject::Kind::Font:
    {
        if (pv == nullptr)
            return sizeof(LOGFONTW);
        if (c < static_cast<int>(sizeof(LOGFONTW)))
            return 0;
        std::memcpy(pv, &static_cast<FontObject&>(*o).logFont, sizeof(LOGFONTW));
        return sizeof(LOGFONTW);
    }
    case GdiObject::Kind::Bitmap:
    {
        if (pv == nullptr)
            return sizeof(BITMAP);
        if (c < static_cast<int>(sizeof(BITMAP)))
            return 0;
        const auto& b = static_cast<BitmapObject&>(*o);
        BITMAP bm{};
        bm.bmWidth = b.image.width();
        bm.bmHeight = b.image.height();
        bm.bmPlanes = 1;
        bm.bmBitsPixel = b.bitsPerPixel;
        bm.bmWidthBytes = ((bm.bmWidth * bm.bmBitsPixel + 15) / 16) * 2;
        std::memcpy(pv, &bm, sizeof(BITMAP));
        return sizeof(BITMAP);
    }
    case GdiObject::Kind::Brush:
    {
        if (pv == nullptr)
            return sizeof(LOGBRUSH);
        if (c < static_cast<int>(sizeof(LOGBRUSH)))
            return 0;
        const auto& b = static_cast<BrushObject&>(*o);
        LOGBRUSH lb{b.style, b.color, 0};
        std::memcpy(pv, &lb, sizeof(LOGBRUSH));
        return sizeof(LOGBRUSH);
    }
    }
    return 0;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h)
{
    auto dc = DeviceContextOf(hdc);
    auto o = GdiTable().Find(h);
    if (!dc || !o)
        return nullptr;
    switch (o->kind)
    {
    case GdiObject::Kind::Font:
    {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(dc->font);
        dc->font = reinterpret_cast<HFONT>(h);
        if (!old)
            old = GetStockObject(SYSTEM_FONT);
        return old;
    }
    case GdiObject::Kind::Brush:
    {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(dc->brush);
        dc->brush = reinterpret_cast<HBRUSH>(h);
        return old ? old : GetStockObject(WHITE_BRUSH);
    }
    case GdiObject::Kind::Bitmap:
    {
        HGDIOBJ old = reinterpret_cast<HGDIOBJ>(dc->bitmap);
        dc->bitmap = reinterpret_cast<HBITMAP>(h);
        return old;
    }
    }
    return nullptr;
}

HFONT CreateFontIndirectW(const LOGFONTW* lplf)
{
    if (lplf == nullptr)
        return nullptr;
    auto f = std::make_shared<FontObject>();
    f->logFont = *lplf;
    f->font = FontFromLogFont(*lplf);
    return GdiTable().Add<HFONT>(f);
}

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto b = std::make_shared<BrushObject>();
    b->color = color;
    b->brush = QBrush(ColorOf(color));
    return GdiTable().Add<HBRUSH>(b);
}

HBRUSH CreatePatternBrush(HBITMAP hbm)
{
    auto bitmap = BitmapObjectOf(hbm);
    if (!bitmap || bitmap->image.isNull())
        return nullptr;
    auto b = std::make_shared<BrushObject>();
    b->style = BS_PATTERN;
    b->brush = QBrush(bitmap->image); // the brush keeps its own copy of the picture
    return GdiTable().Add<HBRUSH>(b);
}

HBITMAP LoadBitmapW(HINSTANCE, LPCWSTR lpBitmapName)
{
    if (!IS_INTRESOURCE(lpBitmapName))
        return nullptr;
    const BitmapResource* res =
        FindBitmap(static_cast<UINT>(reinterpret_cast<std::uintptr_t>(lpBitmapName)));
    if (res == nullptr)
        return nullptr;
    QImage image = QImage::fromData(res->image.data, static_cast<int>(res->image.size));
    if (image.isNull())
        return nullptr;
    return AddBitmap(image.convertToFormat(QImage::Format_RGB32), res->image.bitsPerPixel);
}

int SetBkMode(HDC hdc, int mode)
{
    auto dc = DeviceContextOf(hdc);
    if (!dc)
        return 0;
    return std::exchange(dc->bkMode, mode);
}
int GetBkMode(HDC hdc)
{
    auto dc = DeviceContextOf(hdc);
    return dc ? dc->bkMode : 0;
}
COLORREF SetTextColor(HDC hdc, COLORREF color)
{
    auto dc = DeviceContextOf(hdc);
    return dc ? std::exchange(dc->textColor, color) : CLR_INVALID;
}
COLORREF GetTextColor(HDC hdc)
{
    auto dc = DeviceContextOf(hdc);
    return dc ? dc->textColor : CLR_INVALID;
}
COLORREF SetBkColor(HDC hdc, COLORREF color)
{
    auto dc = DeviceContextOf(hdc);
    return dc ? std::exchange(dc->bkColor, color) : CLR_INVALID;
}
COLORREF GetBkColor(HDC hdc)
{
    auto dc = DeviceContextOf(hdc);
    return dc ? dc->bkColor : CLR_INVALID;
}

BOOL GetTextExtentPoint32W(HDC hdc, LPCWSTR lpString, int c, LPSIZE psizl)
{
    auto dc = DeviceContextOf(hdc);
    if (!dc || psizl == nullptr || c < 0 || (c > 0 && lpString == nullptr))
        return FALSE;
    const QFontMetrics fm(FontOfDc(*dc));
    psizl->cx = fm.horizontalAdvance(
        ToQ(std::u16string_view(lpString ? lpString : u"", static_cast<size_t>(c))));
    psizl->cy = fm.height();
    return TRUE;
}

BOOL GetTextMetricsW(HDC hdc, TEXTMETRICW* lptm)
{
    auto dc = DeviceContextOf(hdc);
    if (!dc || lptm == nullptr)
        return FALSE;
    const QFontMetrics fm(FontOfDc(*dc));
    *lptm = {};
    lptm->tmHeight = fm.height();
    lptm->tmAscent = fm.ascent();
    lptm->tmDescent = fm.descent();
    lptm->tmAveCharWidth = fm.averageCharWidth();
    lptm->tmMaxCharWidth = fm.maxWidth();
    lptm->tmWeight = FontOfDc(*dc).bold() ? FW_BOLD : FW_NORMAL;
    return TRUE;
}

BOOL TextOutW(HDC hdc, int x, int y, LPCWSTR lpString, int c)
{
    auto dc = DeviceContextOf(hdc);
    if (!dc || lpString == nullptr || c < 0)
        return FALSE;
    if (dc->painter == nullptr)
        return TRUE;
    const QString text = ToQ(std::u16string_view(lpString, static_cast<size_t>(c)));
    QPainter& p = *dc->painter;
    p.save();
    p.setFont(FontOfDc(*dc));
    const QFontMetrics fm(p.font());
    const QPoint at = dc->origin + QPoint(x, y);
    if (dc->bkMode == OPAQUE)
        p.fillRect(QRect(at, QSize(fm.horizontalAdvance(text), fm.height())), ColorOf(dc->bkColor));
    p.setPen(ColorOf(dc->textColor));
    p.drawText(at + QPoint(0, fm.ascent()), text);
    p.restore();
    return TRUE;
}

HDC BeginPaint(HWND hWnd, LPPAINTSTRUCT lpPaint)
{
    HDC hdc = PaintScope::CurrentFor(hWnd);
    if (hdc == nullptr)
        hdc = GetDC(hWnd); // nothing to paint on outside the window's paint event
    if (lpPaint != nullptr)
    {
        *lpPaint = {};
        lpPaint->hdc = hdc;
        GetClientRect(hWnd, &lpPaint->rcPaint);
    }
    return hdc;
}

BOOL EndPaint(HWND hWnd, const PAINTSTRUCT* lpPaint)
{
    if (lpPaint != nullptr && lpPaint->hdc != PaintScope::CurrentFor(hWnd))
        ReleaseDC(hWnd, lpPaint->hdc);
    return TRUE;
}

HDC GetDC(HWND hWnd)
{
    auto dc = std::make_shared<DeviceContext>();
    dc->hwnd = hWnd;
    if (auto w = WindowOf(hWnd))
    {
        dc->widget = w->Widget();
        dc->font = w->m_font;
    }
    return AddDeviceContext(dc);
}

int ReleaseDC(HWND, HDC hDC)
{
    auto dc = DeviceContextOf(hDC);
    if (!dc || dc->painter != nullptr)
        return 0;
    RemoveDeviceContext(hDC);
    return 1;
}

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr)
{
    auto dc = DeviceContextOf(hDC);
    if (!dc || lprc == nullptr)
        return 0;
    // A system colour index plus one stands for that colour's brush.
    const auto value = reinterpret_cast<std::uintptr_t>(hbr);
    QBrush brush;
    if (value > 0 && value <= 31)
        brush = QBrush(ColorOf(GetSysColor(static_cast<int>(value - 1))));
    else if (auto b = BrushObjectOf(hbr))
        brush = b->brush;
    else
        return 0;
    if (dc->painter != nullptr && brush.style() != Qt::NoBrush)
    {
        QRect r = ToQRect(*lprc).translated(dc->origin);
        // Patterns start at the window's origin, so tiles line up across controls.
        dc->painter->setBrushOrigin(dc->origin);
        dc->painter->fillRect(r, brush);
    }
    return 1;
}

BOOL DrawIcon(HDC hDC, int X, int Y, HICON hIcon)
{
    auto dc = DeviceContextOf(hDC);
    auto icon = IconObjectOf(hIcon);
    if (!dc || !icon)
        return FALSE;
    if (dc->painter != nullptr)
    {
        const int cx = GetSystemMetrics(SM_CXICON);
        const int cy = GetSystemMetrics(SM_CYICON);
        dc->painter->drawPixmap(QRect(dc->origin + QPoint(X, Y), QSize(cx, cy)),
                                icon->icon.pixmap(QSize(cx, cy)));
    }
    return TRUE;
}

DWORD GetSysColor(int nIndex)
{
    const QPalette pal = QGuiApplication::instance() ? QGuiApplication::palette() : QPalette();
    switch (nIndex)
    {
    case COLOR_WINDOW:
        return ColorRefOf(pal.color(QPalette::Base));
    case COLOR_WINDOWTEXT:
        return ColorRefOf(pal.color(QPalette::WindowText));
    case COLOR_BTNTEXT:
        return ColorRefOf(pal.color(QPalette::ButtonText));
    case COLOR_HIGHLIGHT:
        return ColorRefOf(pal.color(QPalette::Highlight));
    case COLOR_HIGHLIGHTTEXT:
        return ColorRefOf(pal.color(QPalette::HighlightedText));
    case COLOR_GRAYTEXT:
        return ColorRefOf(pal.color(QPalette::Disabled, QPalette::Text));
    case COLOR_3DFACE:
    default:
        return ColorRefOf(pal.color(QPalette::Window));
    }
}

HBRUSH GetSysColorBrush(int nIndex)
{
    static std::mutex mutex;
    static std::map<int, HBRUSH> brushes;
    std::lock_guard lock(mutex);
    HBRUSH& h = brushes[nIndex];
    if (h == nullptr)
    {
        auto b = std::make_shared<BrushObject>();
        b->color = GetSysColor(nIndex);
        b->brush = QBrush(ColorOf(b->color));
        b->stock = true;
        h = GdiTable().Add<HBRUSH>(b);
    }
    return h;
}

int GetSystemMetrics(int nIndex)
{
    switch (nIndex)
    {
    case SM_CXICON:
    case SM_CYICON:
    case SM_CXCURSOR:
    case SM_CYCURSOR:
        return 32;
    case SM_CXSMICON:
    case SM_CYSMICON:
        return 16;
    case SM_CXSCREEN:
        return QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size().width()
                                                : 1024;
    case SM_CYSCREEN:
        return QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size().height()
                                                : 768;
    default:
        return 0;
    }
}

HICON LoadIconW(HINSTANCE hInstance, LPCWSTR lpIconName)
{
    if (!IS_INTRESOURCE(lpIconName) ||
        qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr)
        return nullptr;
    const auto id = reinterpret_cast<std::uintptr_t>(lpIconName);
    if (hInstance == nullptr)
    {
        return SharedIcon(false, id | 0x10000,
                          [id]() -> std::shared_ptr<IconObject>
                          {
                              QStyle::StandardPixmap sp;
                              switch (id)
                              {
                              case 32513:
                                  sp = QStyle::SP_MessageBoxCritical;
                                  break;
                              case 32514:
                                  sp = QStyle::SP_MessageBoxQuestion;
                                  break;
                              case 32515:
                                  sp = QStyle::SP_MessageBoxWarning;
                                  break;
                              case 32516:
                                  sp = QStyle::SP_MessageBoxInformation;
                                  break;
                              case 32512:
                                  sp = QStyle::SP_DesktopIcon;
                                  break;
                              default:
                                  return nullptr;
                              }
                              auto icon = std::make_shared<IconObject>();
                              icon->icon = QApplication::style()->standardIcon(sp);
                              return icon;
                          });
    }
    return SharedIcon(false, id,
                      [id]() -> std::shared_ptr<IconObject>
                      {
                          const IconResource* res = FindIcon(static_cast<UINT>(id));
                          if (res == nullptr)
                              return nullptr;
                          auto icon = std::make_shared<IconObject>();
                          for (const ImageData& image : res->images)
                          {
                              QImage picture =
                                  QImage::fromData(image.data, static_cast<int>(image.size));
                              if (!picture.isNull())
                                  icon->icon.addPixmap(QPixmap::fromImage(picture));
                          }
                          return icon->icon.isNull() ? nullptr : icon;
                      });
}

HICON CopyIcon(HICON hIcon)
{
    auto icon = IconObjectOf(hIcon);
    if (!icon)
        return nullptr;
    auto copy = std::make_shared<IconObject>(*icon);
    copy->shared = false;
    return AddIcon(copy);
}

BOOL DestroyIcon(HICON hIcon)
{
    auto icon = IconObjectOf(hIcon);
    if (!icon)
        return FALSE;
    if (!icon->shared)
        IconTable().Remove(hIcon);
    return TRUE;
}

BOOL DestroyCursor(HCURSOR hCursor)
{
    return DestroyIcon(hCursor);
}

HCURSOR LoadCursorW(HINSTANCE hInstance, LPCWSTR lpCursorName)
{
    if (hInstance != nullptr || !IS_INTRESOURCE(lpCursorName))
        return nullptr; // the program has no cursor resources of its own
    const auto id = reinterpret_cast<std::uintptr_t>(lpCursorName);
    return SharedIcon(true, id,
                      [id]() -> std::shared_ptr<IconObject>
                      {
                          Qt::CursorShape shape;
                          switch (id)
                          {
                          case 32512:
                              shape = Qt::ArrowCursor;
                              break;
                          case 32513:
                              shape = Qt::IBeamCursor;
                              break;
                          case 32514:
                              shape = Qt::WaitCursor;
                              break;
                          case 32515:
                              shape = Qt::CrossCursor;
                              break;
                          case 32646:
                              shape = Qt::SizeAllCursor;
                              break;
                          case 32648:
                              shape = Qt::ForbiddenCursor;
                              break;
                          case 32649:
                              shape = Qt::PointingHandCursor;
                              break;
                          case 32650:
                              shape = Qt::BusyCursor;
                              break;
                          default:
                              return nullptr;
                          }
                          auto cursor = std::make_shared<IconObject>();
                          cursor->cursor = true;
                          cursor->shape = shape;
                          return cursor;
                      });
}

BOOL SetRect(LPRECT lprc, int xLeft, int yTop, int xRight, int yBottom)
{
    if (lprc == nullptr)
        return FALSE;
    *lprc = {xLeft, yTop, xRight, yBottom};
    return TRUE;
}

BOOL PtInRect(const RECT* lprc, POINT pt)
{
    return lprc != nullptr && pt.x >= lprc->left && pt.x < lprc->right && pt.y >= lprc->top &&
           pt.y < lprc->bottom;
}

BOOL OffsetRect(LPRECT lprc, int dx, int dy)
{
    if (lprc == nullptr)
        return FALSE;
    lprc->left += dx;
    lprc->right += dx;
    lprc->top += dy;
    lprc->bottom += dy;
    return TRUE;
}

BOOL InflateRect(LPRECT lprc, int dx, int dy)
{
    if (lprc == nullptr)
        return FALSE;
    lprc->left -= dx;
    lprc->right += dx;
    lprc->top -= dy;
    lprc->bottom += dy;
    return TRUE;
}
