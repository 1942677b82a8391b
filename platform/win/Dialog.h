// Dialog windows: built from templates in dialog units, run modally, keyboard handling.
#pragma once

#include "platform/win/Resources.h"
#include "platform/win/Window.h"

#include <QEventLoop>
#include <QSize>

#include <functional>

namespace winplat
{

class DialogWindow final : public Window
{
public:
    explicit DialogWindow(const CreateParams& p) : Window(p) {}
    ~DialogWindow() override;

    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // Dialog units to pixels with this dialog's font.
    QSize BaseUnits() const noexcept { return m_baseUnits; }
    int XToPixels(int x) const;
    int YToPixels(int y) const;

    // Places the dialog over the middle of its owner (of the screen when it has none).
    void CenterOverOwner();
    // Runs the modal loop until EndDialog; the result given to EndDialog.
    INT_PTR RunModal();
    void End(INT_PTR result);
    bool IsModalRunning() const noexcept { return m_loop != nullptr; }

    UINT m_templateId = 0;
    QSize m_baseUnits{4, 8};
    int m_defId = IDOK;
    HFONT m_ownedFont = nullptr;

private:
    QEventLoop* m_loop = nullptr;
    bool m_ended = false;
    INT_PTR m_result = 0;
};

// Measures a font the way dialog base units are measured: the average width of the 52 letters
// rounded up by half, and the line height.
QSize DialogBaseUnitsOf(const QFont& font);

// Creates a dialog and its controls from a template; onCreated runs once the dialog window
// exists and before its controls (the framework attaches its object there). Sends
// WM_INITDIALOG and gives the focus as it asks. Null on failure.
HWND CreateDialogFromTemplate(const DialogTemplate& tmpl, HWND owner,
                              const std::function<void(HWND)>& onCreated, LPARAM initParam);

// Registers the window classes of the layer (once).
void RegisterWindowClasses();

} // namespace winplat
