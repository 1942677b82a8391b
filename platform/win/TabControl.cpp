// The tab control: a row of tabs over an empty display area that siblings are placed on.
#include "platform/win/Controls.h"

#include <QPainter>
#include <QStyleOptionTabWidgetFrame>
#include <QTabBar>

#include <algorithm>

namespace winplat
{

namespace
{

// The tab row of the classic control: 20 pixels at the dialog font, so the display area
// starts where the program expects it.
constexpr int kTabRowHeight = 20;

class TabBar final : public QTabBar
{
public:
    using QTabBar::QTabBar;

protected:
    QSize tabSizeHint(int index) const override
    {
        QSize s = QTabBar::tabSizeHint(index);
        s.setHeight(kTabRowHeight);
        return s;
    }
};

class TabWidget final : public WinWidget<QWidget>
{
public:
    using WinWidget<QWidget>::WinWidget;
    QTabBar* bar = nullptr;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        QStyleOptionTabWidgetFrame opt;
        opt.initFrom(this);
        opt.rect = QRect(0, kTabRowHeight - 1, width(), height() - kTabRowHeight + 1);
        opt.shape = QTabBar::RoundedNorth;
        if (bar != nullptr)
            opt.tabBarSize = bar->sizeHint();
        style()->drawPrimitive(QStyle::PE_FrameTabWidget, &opt, &p, this);
    }
    void resizeEvent(QResizeEvent*) override
    {
        if (bar != nullptr)
            bar->setGeometry(0, 0, width(), kTabRowHeight);
    }
};

} // namespace

void TabWindow::UserSelected(int index)
{
    if (m_programmatic || index < 0)
        return;
    NotifyParent(TCN_SELCHANGE);
}

LRESULT TabWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_bar)
        return BaseProc(msg, wParam, lParam); // the control is being destroyed
    const int count = static_cast<int>(m_items.size());
    switch (msg)
    {
    case TCM_GETITEMCOUNT:
        return count;
    case TCM_INSERTITEMW:
    {
        auto* item = reinterpret_cast<const TCITEMW*>(lParam);
        if (item == nullptr)
            return -1;
        const int index = std::clamp(static_cast<int>(wParam), 0, count);
        Item it;
        if ((item->mask & TCIF_TEXT) && item->pszText != nullptr)
            it.text = item->pszText;
        if (item->mask & TCIF_IMAGE)
            it.image = item->iImage;
        if (item->mask & TCIF_PARAM)
            it.param = item->lParam;
        m_items.insert(m_items.begin() + index, it);
        m_programmatic = true;
        m_bar->insertTab(index, ToQ(it.text));
        m_programmatic = false;
        return index;
    }
    case TCM_SETITEMW:
    case TCM_GETITEMW:
    {
        const int index = static_cast<int>(wParam);
        auto* item = reinterpret_cast<TCITEMW*>(lParam);
        if (item == nullptr || index < 0 || index >= count)
            return FALSE;
        Item& it = m_items[static_cast<size_t>(index)];
        if (msg == TCM_SETITEMW)
        {
            if ((item->mask & TCIF_TEXT) && item->pszText != nullptr)
            {
                it.text = item->pszText;
                m_bar->setTabText(index, ToQ(it.text));
            }
            if (item->mask & TCIF_IMAGE)
                it.image = item->iImage;
            if (item->mask & TCIF_PARAM)
                it.param = item->lParam;
            return TRUE;
        }
        if ((item->mask & TCIF_TEXT) && item->pszText != nullptr && item->cchTextMax > 0)
        {
            const size_t n = std::min<size_t>(it.text.size(), item->cchTextMax - 1);
            std::copy_n(it.text.data(), n, item->pszText);
            item->pszText[n] = 0;
        }
        if (item->mask & TCIF_IMAGE)
            item->iImage = it.image;
        if (item->mask & TCIF_PARAM)
            item->lParam = it.param;
        return TRUE;
    }
    case TCM_DELETEITEM:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return FALSE;
        m_items.erase(m_items.begin() + index);
        m_programmatic = true;
        m_bar->removeTab(index);
        m_programmatic = false;
        return TRUE;
    }
    case TCM_DELETEALLITEMS:
        m_items.clear();
        m_programmatic = true;
        while (m_bar->count() > 0)
            m_bar->removeTab(0);
        m_programmatic = false;
        return TRUE;
    case TCM_GETCURSEL:
        return count == 0 ? -1 : m_bar->currentIndex();
    case TCM_SETCURSEL:
    {
        const int index = static_cast<int>(wParam);
        const int old = count == 0 ? -1 : m_bar->currentIndex();
        if (index < 0 || index >= count)
            return -1;
        m_programmatic = true;
        m_bar->setCurrentIndex(index);
        m_programmatic = false;
        return old;
    }
    case TCM_ADJUSTRECT:
    {
        auto* rc = reinterpret_cast<RECT*>(lParam);
        if (rc == nullptr)
            return 0;
        const int top = kTabRowHeight + 2;
        if (wParam)
        {
            rc->top -= top;
            rc->left -= 2;
            rc->right += 2;
            rc->bottom += 2;
        }
        else
        {
            rc->top += top;
            rc->left += 2;
            rc->right -= 2;
            rc->bottom -= 2;
        }
        return 0;
    }
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void RegisterTabClass()
{
    WindowFactory::RegisterClass(
        WC_TABCONTROLW,
        [](const CreateParams& p) -> std::shared_ptr<Window>
        {
            auto window = std::make_shared<TabWindow>(p);
            auto* widget = new TabWidget(WindowFactory::ParentWidgetFor(p));
            auto* bar = new TabBar(widget);
            bar->setDrawBase(false);
            bar->setExpanding(false);
            bar->setFocusPolicy((p.style & WS_TABSTOP) ? Qt::StrongFocus : Qt::NoFocus);
            widget->bar = bar;
            widget->setFocusPolicy(Qt::NoFocus);
            window->m_bar = bar;
            WindowFactory::Adopt(window, widget, p);
            bar->setGeometry(0, 0, widget->width(), kTabRowHeight);
            const HWND hwnd = window->Handle();
            QObject::connect(bar, &QTabBar::currentChanged, bar,
                             [hwnd](int index)
                             {
                                 if (auto w = WindowAs<TabWindow>(hwnd))
                                     w->UserSelected(index);
                             });
            return window;
        });
}

} // namespace winplat
