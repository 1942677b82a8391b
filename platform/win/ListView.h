// The list view in report view: columns through its header control, items with an image,
// several selected at once.
#pragma once

#include "platform/win/Controls.h"

#include <QAbstractTableModel>
#include <QItemSelection>
#include <QPointer>

#include <string>
#include <vector>

class QTimer;
class QTreeView;

namespace winplat
{

class ListModel;

class ListViewWindow final : public Window
{
public:
    explicit ListViewWindow(const CreateParams& p);
    ~ListViewWindow() override;
    LRESULT DefProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Created() override;
    QRect ClientRectInWidget() const override;

    struct Column
    {
        std::u16string text;
        int fmt = LVCFMT_LEFT;
        int width = 0;
        int subItem = 0;
    };
    struct Item
    {
        std::vector<std::u16string> texts; // by column position
        int image = -1;
        LPARAM param = 0;
        UINT state = 0;
    };

    const std::vector<Column>& Columns() const noexcept { return m_columns; }
    const std::vector<Item>& Items() const noexcept { return m_items; }
    HIMAGELIST SmallImages() const noexcept { return m_smallImages; }
    QTreeView* View() const;
    HWND Header() const noexcept { return m_header; }
    // The user changed the selection in the view.
    void ViewSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    int HitTest(QPoint client, UINT* flags) const;

    // The view learns of changes in batches, at most every few milliseconds, so that filling a
    // visible list one item per request stays linear; queries that need the view's layout
    // bring it up to date first.
    void Changed();
    void Flush();

private:
    void Publish();
    int InsertItem(const LVITEMW& item);
    bool SetItem(const LVITEMW& item);
    int GetItemText(int index, LVITEMW& item) const;
    void SetState(int index, UINT state, UINT mask);
    void SyncSelectionToView(int index);
    int NextItem(int start, UINT flags) const;

    std::vector<Column> m_columns;
    std::vector<Item> m_items;
    HIMAGELIST m_smallImages = nullptr;
    HIMAGELIST m_normalImages = nullptr;
    DWORD m_extendedStyle = 0;
    HWND m_header = nullptr;
    QPointer<ListModel> m_model; // a child of the view: gone with its widget
    bool m_syncing = false;
    bool m_pending = false;
    QPointer<QTimer> m_publishTimer;
    friend class ListModel;
};

} // namespace winplat
