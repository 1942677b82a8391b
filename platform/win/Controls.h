// The control classes of the layer: static, edit, button, tab, list view, header, tool tip.
#pragma once

#include "platform/win/Window.h"

#include <QPainter>
#include <QPointer>
#include <QTabBar>

#include <vector>

class QLineEdit;
class QPushButton;
class QTreeView;

namespace winplat
{

class StaticWindow final : public Window
{
public:
    explicit StaticWindow(const CreateParams& p) : Window(p), m_imageId(p.imageId) {}
    ~StaticWindow() override;
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::u16string& text) override;
    void Created() override;
    void Paint(QPainter& painter, HDC hdc, HBRUSH brush);
    HBITMAP Bitmap() const noexcept { return m_bitmap; }

private:
    void SetBitmap(HBITMAP bitmap);
    UINT m_imageId;
    HBITMAP m_bitmap = nullptr;
    HBITMAP m_ownedBitmap = nullptr;
};

class EditWindow final : public Window
{
public:
    explicit EditWindow(const CreateParams& p) : Window(p) {}
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::u16string Text() const override;
    void SetText(const std::u16string& text) override;
    void StyleChanged(DWORD oldStyle) override;
    QLineEdit* Edit() const;
};

class ButtonWindow final : public Window
{
public:
    explicit ButtonWindow(const CreateParams& p) : Window(p) {}
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void SetText(const std::u16string& text) override;
    void StyleChanged(DWORD oldStyle) override;
    bool IsPushButton() const noexcept { return (m_style & BS_TYPEMASK) <= BS_DEFPUSHBUTTON; }
    bool m_checked = false;
};

class TabWindow final : public Window
{
public:
    explicit TabWindow(const CreateParams& p) : Window(p) {}
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    QTabBar* Bar() const noexcept { return m_bar; }
    void UserSelected(int index);

    struct Item
    {
        std::u16string text;
        int image = -1;
        LPARAM param = 0;
    };
    std::vector<Item> m_items;
    QPointer<QTabBar> m_bar; // a child of the widget: gone with it
    bool m_programmatic = false;
};

class ListViewWindow;

class HeaderWindow final : public Window
{
public:
    HeaderWindow(const CreateParams& p, std::weak_ptr<ListViewWindow> list)
        : Window(p), m_list(std::move(list))
    {
    }
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    std::weak_ptr<ListViewWindow> m_list;
};

class ToolTipWindow final : public Window
{
public:
    explicit ToolTipWindow(const CreateParams& p) : Window(p) {}
    ~ToolTipWindow() override;
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    struct Tool
    {
        UINT flags = 0;
        HWND hwnd = nullptr;
        UINT_PTR id = 0;
        RECT rect{};
        std::u16string text;
    };
    // The tool's text as the pointer would show it over that window, or null when none.
    const Tool* ToolFor(HWND hwnd) const;
    const std::vector<Tool>& Tools() const noexcept { return m_tools; }

private:
    void Apply(const Tool& tool, bool remove);
    std::vector<Tool> m_tools;
    bool m_active = true;
};

void RegisterStaticClass();
void RegisterEditClass();
void RegisterButtonClass();
void RegisterTabClass();
void RegisterListViewClass();
void RegisterToolTipClass();
void RegisterDialogClass();

} // namespace winplat
