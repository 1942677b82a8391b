#include "platform/win/ListView.h"

#include "platform/win/ImageList.h"
#include "platform/win/MessageLoop.h"

#include <QHeaderView>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTimer>
#include <QTreeView>

#include <algorithm>

namespace winplat
{

class ListModel final : public QAbstractTableModel
{
public:
    explicit ListModel(ListViewWindow* owner) : m_owner(owner) {}
    void Detach() { m_owner = nullptr; }

    int rowCount(const QModelIndex& parent) const override
    {
        return parent.isValid() || !m_owner ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() || !m_owner ? 0 : static_cast<int>(m_owner->m_columns.size());
    }
    QVariant data(const QModelIndex& index, int role) const override
    {
        if (!m_owner || !index.isValid() ||
            index.row() >= static_cast<int>(m_owner->m_items.size()))
            return {};
        const auto& item = m_owner->m_items[static_cast<size_t>(index.row())];
        const size_t column = static_cast<size_t>(index.column());
        switch (role)
        {
        case Qt::DisplayRole:
            return column < item.texts.size() ? ToQ(item.texts[column]) : QString();
        case Qt::DecorationRole:
            if (column == 0 && item.image >= 0)
                if (auto list = ImageListOf(m_owner->m_smallImages))
                    if (item.image < static_cast<int>(list->images.size()))
                        return list->images[static_cast<size_t>(item.image)];
            return {};
        case Qt::TextAlignmentRole:
            return AlignmentOf(m_owner->m_columns[column].fmt);
        default:
            return {};
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (!m_owner || orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(m_owner->m_columns.size()))
            return {};
        const auto& column = m_owner->m_columns[static_cast<size_t>(section)];
        if (role == Qt::DisplayRole)
            return ToQ(column.text);
        if (role == Qt::TextAlignmentRole)
            return AlignmentOf(column.fmt);
        return {};
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override
    {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    using QAbstractTableModel::beginInsertColumns;
    using QAbstractTableModel::beginInsertRows;
    using QAbstractTableModel::beginRemoveColumns;
    using QAbstractTableModel::beginRemoveRows;
    using QAbstractTableModel::beginResetModel;
    using QAbstractTableModel::endInsertColumns;
    using QAbstractTableModel::endInsertRows;
    using QAbstractTableModel::endRemoveColumns;
    using QAbstractTableModel::endRemoveRows;
    using QAbstractTableModel::endResetModel;
    void RowChanged(int row)
    {
        if (row < m_rows)
            emit dataChanged(index(row, 0), index(row, std::max(0, columnCount({}) - 1)));
    }
    // The rows the view knows of; brought up to the list's own count by Publish.
    int m_rows = 0;

private:
    static QVariant AlignmentOf(int fmt)
    {
        switch (fmt & 3)
        {
        case LVCFMT_RIGHT:
            return int(Qt::AlignRight | Qt::AlignVCenter);
        case LVCFMT_CENTER:
            return int(Qt::AlignHCenter | Qt::AlignVCenter);
        default:
            return int(Qt::AlignLeft | Qt::AlignVCenter);
        }
    }
    ListViewWindow* m_owner;
};

namespace
{

class ListWidget final : public WinWidget<QTreeView>
{
public:
    using WinWidget<QTreeView>::WinWidget;
};

} // namespace

ListViewWindow::ListViewWindow(const CreateParams& p) : Window(p) {}

ListViewWindow::~ListViewWindow()
{
    if (m_model != nullptr)
        m_model->Detach();
}

QTreeView* ListViewWindow::View() const
{
    return static_cast<QTreeView*>(Widget());
}

QRect ListViewWindow::ClientRectInWidget() const
{
    // The client area is inside the view's frame; the header sits at its top, as in the
    // classic control.
    QTreeView* view = View();
    if (view == nullptr)
        return {};
    const int f = view->frameWidth();
    return view->rect().adjusted(f, f, -f, -f);
}

void ListViewWindow::Created()
{
    QTreeView* view = View();
    m_model = new ListModel(this);
    m_model->setParent(view);
    view->setModel(m_model);
    view->setRootIsDecorated(false);
    view->setItemsExpandable(false);
    view->setUniformRowHeights(true);
    view->setAllColumnsShowFocus(true);
    view->setSortingEnabled(false);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode((m_style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                     : QAbstractItemView::ExtendedSelection);
    view->setFrameShape((m_style & WS_BORDER) || (m_exStyle & WS_EX_CLIENTEDGE)
                            ? QFrame::StyledPanel
                            : QFrame::NoFrame);
    view->setFocusPolicy((m_style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus);
    view->header()->setStretchLastSection(false);
    view->header()->setSectionsMovable(false);
    view->header()->setVisible(!(m_style & LVS_NOCOLUMNHEADER));
    view->viewport()->setMouseTracking(true);
    m_publishTimer = new QTimer(view);
    m_publishTimer->setSingleShot(true);
    m_publishTimer->setInterval(40);
    const HWND hwnd = m_hwnd;
    QObject::connect(m_publishTimer, &QTimer::timeout, view,
                     [hwnd]
                     {
                         if (auto w = WindowAs<ListViewWindow>(hwnd))
                             w->Flush();
                     });
    QObject::connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, view,
                     [hwnd](const QItemSelection& s, const QItemSelection& d)
                     {
                         if (auto w = WindowAs<ListViewWindow>(hwnd))
                             w->ViewSelectionChanged(s, d);
                     });

    // The header control is a window of its own, a child of the list.
    CreateParams hp;
    hp.className = WC_HEADERW;
    hp.style = WS_CHILD | WS_VISIBLE;
    hp.parent = m_hwnd;
    auto header = std::make_shared<HeaderWindow>(
        hp, std::static_pointer_cast<ListViewWindow>(shared_from_this()));
    WindowFactory::Adopt(header, view->header(), hp);
    header->m_style = hp.style;
    m_header = header->Handle();
    header->m_proc = &ClassWindowProc;
}

void ListViewWindow::ViewSelectionChanged(const QItemSelection& selected,
                                          const QItemSelection& deselected)
{
    if (m_syncing)
        return;
    for (const QModelIndex& i : deselected.indexes())
        if (i.column() == 0 && i.row() < static_cast<int>(m_items.size()))
            m_items[static_cast<size_t>(i.row())].state &= ~LVIS_SELECTED;
    for (const QModelIndex& i : selected.indexes())
        if (i.column() == 0 && i.row() < static_cast<int>(m_items.size()))
            m_items[static_cast<size_t>(i.row())].state |= LVIS_SELECTED;
    const QModelIndex current = View()->currentIndex();
    for (size_t row = 0; row < m_items.size(); ++row)
        if (current.isValid() && static_cast<int>(row) == current.row())
            m_items[row].state |= LVIS_FOCUSED;
        else
            m_items[row].state &= ~LVIS_FOCUSED;
}

void ListViewWindow::SyncSelectionToView(int index)
{
    QTreeView* view = View();
    if (view == nullptr || m_pending || m_columns.empty() || index < 0 ||
        index >= static_cast<int>(m_items.size()))
        return; // a pending publication brings the view's selection along
    m_syncing = true;
    const QModelIndex mi = m_model->index(index, 0);
    const auto command = (m_items[static_cast<size_t>(index)].state & LVIS_SELECTED)
                             ? QItemSelectionModel::Select
                             : QItemSelectionModel::Deselect;
    view->selectionModel()->select(mi, command | QItemSelectionModel::Rows);
    if (m_items[static_cast<size_t>(index)].state & LVIS_FOCUSED)
        view->selectionModel()->setCurrentIndex(mi, QItemSelectionModel::NoUpdate);
    m_syncing = false;
}

int ListViewWindow::InsertItem(const LVITEMW& item)
{
    if (item.iSubItem != 0)
        return -1;
    const int count = static_cast<int>(m_items.size());
    const int index = std::clamp(item.iItem, 0, count);
    Item it;
    it.texts.resize(std::max<size_t>(1, m_columns.size()));
    if ((item.mask & LVIF_TEXT) && item.pszText != nullptr)
        it.texts[0] = item.pszText;
    if (item.mask & LVIF_IMAGE)
        it.image = item.iImage;
    if (item.mask & LVIF_PARAM)
        it.param = item.lParam;
    if (item.mask & LVIF_STATE)
        it.state = item.state & item.stateMask;
    m_items.insert(m_items.begin() + index, std::move(it));
    Changed();
    return index;
}

bool ListViewWindow::SetItem(const LVITEMW& item)
{
    if (item.iItem < 0 || item.iItem >= static_cast<int>(m_items.size()) || item.iSubItem < 0)
        return false;
    Item& it = m_items[static_cast<size_t>(item.iItem)];
    if (item.mask & LVIF_TEXT)
    {
        const size_t sub = static_cast<size_t>(item.iSubItem);
        if (it.texts.size() <= sub)
            it.texts.resize(sub + 1);
        it.texts[sub] = item.pszText != nullptr ? item.pszText : u"";
    }
    if (item.iSubItem == 0)
    {
        if (item.mask & LVIF_IMAGE)
            it.image = item.iImage;
        if (item.mask & LVIF_PARAM)
            it.param = item.lParam;
        if (item.mask & LVIF_STATE)
            SetState(item.iItem, item.state, item.stateMask);
    }
    m_model->RowChanged(item.iItem);
    return true;
}

int ListViewWindow::GetItemText(int index, LVITEMW& item) const
{
    if (index < 0 || index >= static_cast<int>(m_items.size()) || item.pszText == nullptr ||
        item.cchTextMax <= 0)
        return 0;
    const Item& it = m_items[static_cast<size_t>(index)];
    const size_t sub = static_cast<size_t>(std::max(0, item.iSubItem));
    const std::u16string text = sub < it.texts.size() ? it.texts[sub] : std::u16string();
    const size_t n = std::min<size_t>(text.size(), static_cast<size_t>(item.cchTextMax - 1));
    std::copy_n(text.data(), n, item.pszText);
    item.pszText[n] = 0;
    return static_cast<int>(n);
}

void ListViewWindow::SetState(int index, UINT state, UINT mask)
{
    auto apply = [&](int i)
    {
        UINT& s = m_items[static_cast<size_t>(i)].state;
        if ((mask & LVIS_FOCUSED) && (state & LVIS_FOCUSED))
            for (auto& other : m_items)
                other.state &= ~LVIS_FOCUSED;
        s = (s & ~mask) | (state & mask);
        SyncSelectionToView(i);
    };
    if (index == -1)
        for (int i = 0; i < static_cast<int>(m_items.size()); ++i)
            apply(i);
    else if (index >= 0 && index < static_cast<int>(m_items.size()))
        apply(index);
}

int ListViewWindow::NextItem(int start, UINT flags) const
{
    const int count = static_cast<int>(m_items.size());
    for (int i = std::max(0, start + 1); i < count; ++i)
    {
        const UINT s = m_items[static_cast<size_t>(i)].state;
        if ((flags & LVNI_SELECTED) && !(s & LVIS_SELECTED))
            continue;
        if ((flags & LVNI_FOCUSED) && !(s & LVIS_FOCUSED))
            continue;
        return i;
    }
    return -1;
}

int ListViewWindow::HitTest(QPoint client, UINT* flags) const
{
    QTreeView* view = View();
    if (flags != nullptr)
        *flags = LVHT_NOWHERE;
    if (view == nullptr)
        return -1;
    const QPoint inWidget = client + ClientOriginInWidget();
    const QPoint inViewport = view->viewport()->mapFrom(view, inWidget);
    if (!view->viewport()->rect().contains(inViewport))
        return -1;
    const QModelIndex index = view->indexAt(inViewport);
    if (!index.isValid())
        return -1;
    if (flags != nullptr)
    {
        const QRect rect = view->visualRect(index);
        *flags = (index.column() == 0 && m_items[static_cast<size_t>(index.row())].image >= 0 &&
                  inViewport.x() < rect.left() + 18)
                     ? LVHT_ONITEMICON
                     : LVHT_ONITEMLABEL;
    }
    return index.row();
}

LRESULT ListViewWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!m_model || View() == nullptr)
        return BaseProc(msg, wParam, lParam); // the control is being destroyed
    const int count = static_cast<int>(m_items.size());
    switch (msg)
    {
    case LVM_GETITEMCOUNT:
        return count;
    case LVM_INSERTITEMW:
        return lParam ? InsertItem(*reinterpret_cast<const LVITEMW*>(lParam)) : -1;
    case LVM_SETITEMW:
        return lParam && SetItem(*reinterpret_cast<const LVITEMW*>(lParam)) ? TRUE : FALSE;
    case LVM_SETITEMTEXTW:
    {
        if (!lParam)
            return FALSE;
        LVITEMW item = *reinterpret_cast<const LVITEMW*>(lParam);
        item.iItem = static_cast<int>(wParam);
        item.mask = LVIF_TEXT;
        return SetItem(item) ? TRUE : FALSE;
    }
    case LVM_GETITEMTEXTW:
        return lParam ? GetItemText(static_cast<int>(wParam), *reinterpret_cast<LVITEMW*>(lParam))
                      : 0;
    case LVM_GETITEMW:
    {
        auto* item = reinterpret_cast<LVITEMW*>(lParam);
        if (item == nullptr || item->iItem < 0 || item->iItem >= count)
            return FALSE;
        const Item& it = m_items[static_cast<size_t>(item->iItem)];
        if (item->mask & LVIF_TEXT)
            GetItemText(item->iItem, *item);
        if (item->mask & LVIF_IMAGE)
            item->iImage = it.image;
        if (item->mask & LVIF_PARAM)
            item->lParam = it.param;
        if (item->mask & LVIF_STATE)
            item->state = it.state & item->stateMask;
        return TRUE;
    }
    case LVM_DELETEITEM:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return FALSE;
        m_items.erase(m_items.begin() + index);
        Changed();
        return TRUE;
    }
    case LVM_DELETEALLITEMS:
        m_items.clear();
        Changed();
        return TRUE;
    case LVM_GETNEXTITEM:
        return NextItem(static_cast<int>(static_cast<INT_PTR>(wParam)), LOWORD(lParam));
    case LVM_SETITEMSTATE:
    {
        auto* item = reinterpret_cast<const LVITEMW*>(lParam);
        if (item == nullptr)
            return FALSE;
        SetState(static_cast<int>(static_cast<INT_PTR>(wParam)), item->state, item->stateMask);
        return TRUE;
    }
    case LVM_GETITEMSTATE:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= count)
            return 0;
        return m_items[static_cast<size_t>(index)].state & static_cast<UINT>(lParam);
    }
    case LVM_GETSELECTEDCOUNT:
        return std::count_if(m_items.begin(), m_items.end(),
                             [](const Item& i) { return (i.state & LVIS_SELECTED) != 0; });
    case LVM_INSERTCOLUMNW:
    {
        Flush();
        auto* col = reinterpret_cast<const LVCOLUMNW*>(lParam);
        if (col == nullptr)
            return -1;
        const int index =
            std::clamp(static_cast<int>(wParam), 0, static_cast<int>(m_columns.size()));
        Column c;
        if ((col->mask & LVCF_TEXT) && col->pszText != nullptr)
            c.text = col->pszText;
        if (col->mask & LVCF_FMT)
            c.fmt = col->fmt;
        if (col->mask & LVCF_WIDTH)
            c.width = col->cx;
        if (col->mask & LVCF_SUBITEM)
            c.subItem = col->iSubItem;
        m_model->beginInsertColumns({}, index, index);
        m_columns.insert(m_columns.begin() + index, c);
        // An item's own text is its first column's; a later column starts empty.
        if (m_columns.size() > 1)
            for (Item& it : m_items)
                it.texts.insert(it.texts.begin() + std::min<size_t>(index, it.texts.size()),
                                std::u16string());
        m_model->endInsertColumns();
        View()->header()->resizeSection(index, c.width);
        return index;
    }
    case LVM_DELETECOLUMN:
    {
        Flush();
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(m_columns.size()))
            return FALSE;
        m_model->beginRemoveColumns({}, index, index);
        m_columns.erase(m_columns.begin() + index);
        for (Item& it : m_items)
            if (static_cast<size_t>(index) < it.texts.size())
                it.texts.erase(it.texts.begin() + index);
        m_model->endRemoveColumns();
        return TRUE;
    }
    case LVM_GETCOLUMNW:
    {
        auto* col = reinterpret_cast<LVCOLUMNW*>(lParam);
        const int index = static_cast<int>(wParam);
        if (col == nullptr || index < 0 || index >= static_cast<int>(m_columns.size()))
            return FALSE;
        const Column& c = m_columns[static_cast<size_t>(index)];
        if (col->mask & LVCF_FMT)
            col->fmt = c.fmt;
        if (col->mask & LVCF_WIDTH)
            col->cx = View()->header()->sectionSize(index);
        if (col->mask & LVCF_SUBITEM)
            col->iSubItem = c.subItem;
        if ((col->mask & LVCF_TEXT) && col->pszText != nullptr && col->cchTextMax > 0)
        {
            const size_t n = std::min<size_t>(c.text.size(), col->cchTextMax - 1);
            std::copy_n(c.text.data(), n, col->pszText);
            col->pszText[n] = 0;
        }
        return TRUE;
    }
    case LVM_GETCOLUMNWIDTH:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(m_columns.size()))
            return 0;
        return View()->header()->sectionSize(index);
    }
    case LVM_SETCOLUMNWIDTH:
    {
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= static_cast<int>(m_columns.size()))
            return FALSE;
        m_columns[static_cast<size_t>(index)].width = static_cast<int>(LOWORD(lParam));
        View()->header()->resizeSection(index,
                                        static_cast<int>(static_cast<short>(LOWORD(lParam))));
        return TRUE;
    }
    case LVM_GETHEADER:
        return reinterpret_cast<LRESULT>(m_header);
    case LVM_SETIMAGELIST:
    {
        HIMAGELIST& slot =
            wParam == static_cast<WPARAM>(LVSIL_SMALL) ? m_smallImages : m_normalImages;
        HIMAGELIST old = std::exchange(slot, reinterpret_cast<HIMAGELIST>(lParam));
        if (auto list = ImageListOf(m_smallImages))
            View()->setIconSize(QSize(list->cx, list->cy));
        View()->viewport()->update();
        return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
        return reinterpret_cast<LRESULT>(
            wParam == static_cast<WPARAM>(LVSIL_SMALL) ? m_smallImages : m_normalImages);
    case LVM_SETEXTENDEDLISTVIEWSTYLE:
    {
        const DWORD mask = wParam ? static_cast<DWORD>(wParam) : 0xFFFFFFFFu;
        const DWORD old = m_extendedStyle;
        m_extendedStyle = (m_extendedStyle & ~mask) | (static_cast<DWORD>(lParam) & mask);
        return old;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
        return m_extendedStyle;
    case LVM_HITTEST:
    {
        Flush();
        auto* info = reinterpret_cast<LVHITTESTINFO*>(lParam);
        if (info == nullptr)
            return -1;
        info->iItem = HitTest(QPoint(info->pt.x, info->pt.y), &info->flags);
        info->iSubItem = 0;
        return info->iItem;
    }
    case LVM_GETITEMRECT:
    {
        Flush();
        auto* rc = reinterpret_cast<RECT*>(lParam);
        const int index = static_cast<int>(wParam);
        if (rc == nullptr || index < 0 || index >= count || m_columns.empty())
            return FALSE;
        QTreeView* view = View();
        QRect r;
        for (int c = 0; c < static_cast<int>(m_columns.size()); ++c)
            r = r.united(view->visualRect(m_model->index(index, c)));
        if (r.isEmpty())
            return FALSE;
        r.moveTopLeft(view->viewport()->mapTo(view, r.topLeft()) - ClientOriginInWidget());
        *rc = ToRect(r);
        return TRUE;
    }
    case LVM_ENSUREVISIBLE:
    {
        Flush();
        const int index = static_cast<int>(wParam);
        if (index < 0 || index >= count || m_columns.empty())
            return FALSE;
        View()->scrollTo(m_model->index(index, 0));
        return TRUE;
    }
    case WM_RBUTTONUP:
    {
        Flush();
        // A right click tells the parent (NM_RCLICK), after the view has picked the item.
        const LRESULT r = BaseProc(msg, wParam, lParam);
        NMITEMACTIVATE nm{};
        nm.hdr = {m_hwnd, static_cast<UINT_PTR>(m_id), NM_RCLICK};
        nm.ptAction = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        nm.iItem = HitTest(QPoint(nm.ptAction.x, nm.ptAction.y), nullptr);
        if (m_parent != nullptr)
            SendMessageW(m_parent, WM_NOTIFY, static_cast<WPARAM>(m_id),
                         reinterpret_cast<LPARAM>(&nm));
        return r;
    }
    case WM_LBUTTONUP:
    {
        Flush();
        const LRESULT r = BaseProc(msg, wParam, lParam);
        NMITEMACTIVATE nm{};
        nm.hdr = {m_hwnd, static_cast<UINT_PTR>(m_id), NM_CLICK};
        nm.ptAction = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        nm.iItem = HitTest(QPoint(nm.ptAction.x, nm.ptAction.y), nullptr);
        if (m_parent != nullptr)
            SendMessageW(m_parent, WM_NOTIFY, static_cast<WPARAM>(m_id),
                         reinterpret_cast<LPARAM>(&nm));
        return r;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_KEYDOWN:
        Flush(); // the user acts on what the view shows: bring it up to date first
        return BaseProc(msg, wParam, lParam);
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void ListViewWindow::Changed()
{
    m_pending = true;
    if (m_publishTimer && !m_publishTimer->isActive())
        m_publishTimer->start();
}

void ListViewWindow::Flush()
{
    if (m_pending)
        Publish();
}

void ListViewWindow::Publish()
{
    QTreeView* view = View();
    m_pending = false;
    if (m_publishTimer)
        m_publishTimer->stop();
    if (view == nullptr || !m_model)
        return;
    // One reset for the whole batch; the view's selection, current item and scroll position
    // are put back from the items' own state.
    m_syncing = true;
    const int scroll = view->verticalScrollBar()->value();
    m_model->beginResetModel();
    m_model->m_rows = static_cast<int>(m_items.size());
    m_model->endResetModel();
    if (!m_columns.empty())
    {
        QItemSelection selection;
        int runStart = -1;
        const int count = static_cast<int>(m_items.size());
        for (int row = 0; row <= count; ++row)
        {
            const bool selected =
                row < count && (m_items[static_cast<size_t>(row)].state & LVIS_SELECTED);
            if (selected && runStart < 0)
                runStart = row;
            if (!selected && runStart >= 0)
            {
                selection.select(m_model->index(runStart, 0),
                                 m_model->index(row - 1, static_cast<int>(m_columns.size()) - 1));
                runStart = -1;
            }
            if (row < count && (m_items[static_cast<size_t>(row)].state & LVIS_FOCUSED))
                view->selectionModel()->setCurrentIndex(m_model->index(row, 0),
                                                        QItemSelectionModel::NoUpdate);
        }
        view->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    }
    view->verticalScrollBar()->setValue(scroll);
    m_syncing = false;
}

LRESULT HeaderWindow::DefProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto list = m_list.lock();
    if (list && list->View() == nullptr)
        list.reset(); // the list is being destroyed
    switch (msg)
    {
    case HDM_GETITEMCOUNT:
        return list ? static_cast<LRESULT>(list->Columns().size()) : -1;
    case HDM_GETITEMW:
    {
        auto* item = reinterpret_cast<HDITEMW*>(lParam);
        const int index = static_cast<int>(wParam);
        if (!list || item == nullptr || index < 0 ||
            index >= static_cast<int>(list->Columns().size()))
            return FALSE;
        const auto& c = list->Columns()[static_cast<size_t>(index)];
        if ((item->mask & HDI_TEXT) && item->pszText != nullptr && item->cchTextMax > 0)
        {
            const size_t n = std::min<size_t>(c.text.size(), item->cchTextMax - 1);
            std::copy_n(c.text.data(), n, item->pszText);
            item->pszText[n] = 0;
        }
        if (item->mask & HDI_WIDTH)
            item->cxy = list->View()->header()->sectionSize(index);
        if (item->mask & HDI_FORMAT)
            item->fmt = c.fmt;
        return TRUE;
    }
    default:
        return BaseProc(msg, wParam, lParam);
    }
}

void RegisterListViewClass()
{
    WindowFactory::RegisterClass(WC_LISTVIEWW,
                                 [](const CreateParams& p) -> std::shared_ptr<Window>
                                 {
                                     auto window = std::make_shared<ListViewWindow>(p);
                                     auto* widget =
                                         new ListWidget(WindowFactory::ParentWidgetFor(p));
                                     WindowFactory::Adopt(window, widget, p);
                                     return window;
                                 });
}

} // namespace winplat
