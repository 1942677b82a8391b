// Tool tips: each tool's text becomes the Qt tool tip of the window it covers.
#include "platform/win/Controls.h"

#include <algorithm>

namespace winplat
{

ToolTipWindow::~ToolTipWindow() = default;

const ToolTipWindow::Tool* ToolTipWindow::ToolFor(HWND hwnd) const
{
    if (!m_active)
        return nullptr;
    for (const Tool& t : m_tools)
        if (((t.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(t.id) : t.hwnd) == hwnd)
            return &t;
    return nullptr;
}

void ToolTipWindow::Apply(const Tool& tool, bool remove)
{
    const HWND target = (tool.flags & TTF_IDISHWND) ? reinterpret_cast<HWND>(tool.id) : tool.hwnd;
    auto w = WindowOf(target);
    if (!w || !w->Widget())
        return;
    w->Widget()->setToolTip(remove || !m_active ? QString() : ToQ(tool.text));
}

LRESULT ToolTipWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* info = reinterpret_cast<TTTOOLINFOW*>(lParam);
    auto find = [&]()
    {
        return std::find_if(m_tools.begin(), m_tools.end(),
                            [&](const Tool& t) {
                                return info != nullptr && t.hwnd == info->hwnd && t.id == info->uId;
                            });
    };
    switch (msg)
    {
    case TTM_ADDTOOLW:
    {
        if (info == nullptr)
            return FALSE;
        Tool t;
        t.flags = info->uFlags;
        t.hwnd = info->hwnd;
        t.id = info->uId;
        t.rect = info->rect;
        if (info->lpszText != nullptr && !IS_INTRESOURCE(info->lpszText))
            t.text = info->lpszText;
        m_tools.push_back(t);
        Apply(m_tools.back(), false);
        return TRUE;
    }
    case TTM_DELTOOLW:
    {
        auto it = find();
        if (it != m_tools.end())
        {
            Apply(*it, true);
            m_tools.erase(it);
        }
        return 0;
    }
    case TTM_UPDATETIPTEXTW:
    {
        auto it = find();
        if (it != m_tools.end())
        {
            it->text = info->lpszText != nullptr ? info->lpszText : u"";
            Apply(*it, false);
        }
        return 0;
    }
    case TTM_NEWTOOLRECTW:
    {
        auto it = find();
        if (it != m_tools.end())
            it->rect = info->rect;
        return 0;
    }
    case TTM_GETTEXTW:
    {
        auto it = find();
        if (info == nullptr || info->lpszText == nullptr)
            return 0;
        const std::u16string text = it != m_tools.end() ? it->text : std::u16string();
        // The caller's buffer holds at least 80 characters, as the message documents.
        const size_t n = std::min<size_t>(text.size(), 79);
        std::copy_n(text.data(), n, info->lpszText);
        info->lpszText[n] = 0;
        return 0;
    }
    case TTM_GETTOOLCOUNT:
        return static_cast<LRESULT>(m_tools.size());
    case TTM_ACTIVATE:
        m_active = wParam != 0;
        for (const Tool& t : m_tools)
            Apply(t, false);
        return 0;
    case TTM_RELAYEVENT:
        // Qt shows tips from the pointer itself; nothing needs relaying.
        return 0;
    case WM_DESTROY:
        for (const Tool& t : m_tools)
            Apply(t, true);
        return BaseProc(msg, wParam, lParam);
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void RegisterToolTipClass()
{
    WindowFactory::RegisterClass(
        TOOLTIPS_CLASSW,
        [](const CreateParams& p) -> std::shared_ptr<Window>
        {
            auto window = std::make_shared<ToolTipWindow>(p);
            CreateParams hidden = p;
            hidden.style &= ~WS_VISIBLE; // the tip itself is Qt's; this window is never shown
            auto* widget = new WinWidget<QWidget>(nullptr, Qt::ToolTip);
            WindowFactory::Adopt(window, widget, hidden);
            window->m_style = hidden.style;
            return window;
        });
}

} // namespace winplat
