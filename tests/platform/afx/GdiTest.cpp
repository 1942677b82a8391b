// Drawing objects and the pointer as the controls use them: fonts from a LOGFONT, pattern
// brushes, text measurement, tool tips, the wait cursor, the beep.
#include "platform/win/Gdi.h"
#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"
#include "platform/win/Window.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QCursor>
#include <QImage>
#include <gtest/gtest.h>

namespace automation = winplat::automation;

namespace
{

class Popup : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(label.CreateEx(0, WC_STATICW, u"Label text", WS_POPUP | WS_VISIBLE, 10, 10, 200,
                                   30, nullptr, nullptr));
    }
    CStatic label;
};

TEST_F(Popup, FontFromALogFontRoundTripsAndReachesTheControl)
{
    LOGFONT lf{};
    lf.lfHeight = -11;
    lf.lfWeight = FW_NORMAL;
    std::u16string face = u"MS Shell Dlg";
    std::copy(face.begin(), face.end(), lf.lfFaceName);
    CFont plain;
    ASSERT_TRUE(plain.CreateFontIndirect(&lf));
    lf.lfUnderline = TRUE;
    CFont underlined;
    ASSERT_TRUE(underlined.CreateFontIndirect(&lf));
    LOGFONT back{};
    EXPECT_EQ(underlined.GetLogFont(&back), static_cast<int>(sizeof(LOGFONT)));
    EXPECT_EQ(back.lfHeight, -11);
    EXPECT_EQ(back.lfUnderline, 1);

    label.SetFont(&underlined);
    EXPECT_EQ(label.GetFont()->GetSafeHandle(), underlined.GetSafeHandle());
    QWidget* widget = winplat::WindowOf(label.m_hWnd)->Widget();
    EXPECT_TRUE(widget->font().underline());
    EXPECT_EQ(widget->font().pixelSize(), 11);
    label.SetFont(&plain);
    EXPECT_FALSE(widget->font().underline());
}

TEST_F(Popup, TextExtentFollowsTheSelectedFont)
{
    LOGFONT lf{};
    lf.lfHeight = -11;
    CFont small;
    small.CreateFontIndirect(&lf);
    lf.lfHeight = -22;
    CFont big;
    big.CreateFontIndirect(&lf);
    CClientDC dc(&label);
    CFont* old = dc.SelectObject(&small);
    const CSize smallSize = dc.GetTextExtent(CString(_T("Quillmere")));
    dc.SelectObject(&big);
    const CSize bigSize = dc.GetTextExtent(CString(_T("Quillmere")));
    dc.SelectObject(old);
    EXPECT_GT(smallSize.cx, 20);
    EXPECT_GT(bigSize.cx, smallSize.cx * 3 / 2);
    EXPECT_GT(bigSize.cy, smallSize.cy);
    EXPECT_EQ(dc.GetTextExtent(CString()).cx, 0);
}

TEST(Gdi, PatternBrushTilesItsBitmap)
{
    // A 2 x 2 bitmap: red, green / blue, white.
    QImage tile(2, 2, QImage::Format_RGB32);
    tile.setPixel(0, 0, qRgb(255, 0, 0));
    tile.setPixel(1, 0, qRgb(0, 255, 0));
    tile.setPixel(0, 1, qRgb(0, 0, 255));
    tile.setPixel(1, 1, qRgb(255, 255, 255));
    CBitmap bitmap;
    bitmap.Attach(winplat::AddBitmap(tile, 24));
    CBrush brush;
    ASSERT_TRUE(brush.CreatePatternBrush(&bitmap));

    QImage canvas(6, 4, QImage::Format_RGB32);
    canvas.fill(Qt::black);
    QPainter painter(&canvas);
    auto dc = std::make_shared<winplat::DeviceContext>();
    dc->painter = &painter;
    const HDC hdc = winplat::AddDeviceContext(dc);
    RECT all = {0, 0, 6, 4};
    EXPECT_EQ(FillRect(hdc, &all, brush), 1);
    painter.end();
    winplat::RemoveDeviceContext(hdc);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(canvas.pixel(x, y), tile.pixel(x % 2, y % 2)) << x << "," << y;
}

TEST_F(Popup, ToolTipShowsItsToolsTextOverTheControl)
{
    CToolTipCtrl tip;
    ASSERT_TRUE(tip.Create(&label));
    EXPECT_TRUE(tip.AddTool(&label, _T("http://www.vandrel.example/")));
    EXPECT_EQ(tip.GetToolCount(), 1);
    QWidget* widget = winplat::WindowOf(label.m_hWnd)->Widget();
    EXPECT_EQ(widget->toolTip(), QString("http://www.vandrel.example/"));
    // A tool added by rectangle (id 1) takes its text from the tool id.
    CToolTipCtrl byId;
    ASSERT_TRUE(byId.Create(&label));
    CRect rect(0, 0, 10, 10);
    byId.AddTool(&label, _T("first"), &rect, 1);
    byId.UpdateTipText(_T("second"), &label, 1);
    CString text;
    byId.GetText(text, &label, 1);
    EXPECT_EQ(text, _T("second"));
    EXPECT_EQ(widget->toolTip(), QString("second"));
    // The tips go with their owner.
    const HWND tipHandle = tip.m_hWnd;
    label.DestroyWindow();
    EXPECT_FALSE(IsWindow(tipHandle));
    EXPECT_EQ(tip.m_hWnd, nullptr);
}

TEST(Gdi, WaitCursorFromConstructionToDestruction)
{
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    {
        CWaitCursor wait;
        ASSERT_NE(QApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
        {
            CWaitCursor nested;
        }
        EXPECT_NE(QApplication::overrideCursor(), nullptr); // still the outer one's
    }
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(Gdi, StandardCursorsAndIcons)
{
    const HCURSOR hand = LoadCursor(nullptr, IDC_HAND);
    ASSERT_NE(hand, nullptr);
    EXPECT_EQ(LoadCursor(nullptr, IDC_HAND), hand); // shared
    const HCURSOR copy = CopyIcon(hand);
    EXPECT_NE(copy, hand);
    EXPECT_EQ(winplat::IconObjectOf(copy)->shape, Qt::PointingHandCursor);
    EXPECT_TRUE(DestroyCursor(copy));
    EXPECT_NE(LoadIcon(nullptr, IDI_ERROR), nullptr);
    EXPECT_EQ(GetSystemMetrics(SM_CXICON), 32);
    EXPECT_EQ(GetSystemMetrics(SM_CXSMICON), 16);
}

TEST(Gdi, BeepsAreCounted)
{
    const unsigned before = automation::BeepCount();
    MessageBeep(MB_ICONEXCLAMATION);
    EXPECT_EQ(automation::BeepCount(), before + 1);
}

TEST(Gdi, CursorAndMessagePositions)
{
    SetCursorPos(120, 80);
    POINT p{};
    GetCursorPos(&p);
    EXPECT_EQ(p.x, 120);
    EXPECT_EQ(p.y, 80);
    // A posted message carries the pointer position of the moment it is taken from the queue.
    CStatic target;
    ASSERT_TRUE(target.CreateEx(0, WC_STATICW, u"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr));
    target.PostMessage(WM_USER + 9);
    QCoreApplication::processEvents();
    const DWORD pos = GetMessagePos();
    EXPECT_EQ(CPoint(pos).x, 120);
    EXPECT_EQ(CPoint(pos).y, 80);
}

} // namespace
