// The save and open dialogs on QFileDialog (Qt's own, the same on every desktop).
#include "platform/win/CommDlg.h"

#include "platform/win/AutomationInternal.h"
#include "platform/win/UiThread.h"
#include "platform/win/Window.h"
#include "platform/win/WindowRegistry.h"

#include <QFileDialog>
#include <QTimer>

#include <algorithm>

namespace winplat
{

namespace
{

// "desc\0pattern\0desc\0pattern\0\0" as Qt name filters "desc (pattern)".
QStringList FiltersOf(LPCWSTR filter, std::u16string* joined)
{
    QStringList filters;
    if (filter == nullptr)
        return filters;
    for (LPCWSTR p = filter; *p != 0;)
    {
        const std::u16string description(p);
        p += description.size() + 1;
        const std::u16string pattern(p);
        p += pattern.size() + 1;
        *joined += description + u"|" + pattern + u"|";
        QString patterns = ToQ(pattern);
        patterns.replace(u';', u' ');
        // A description that already names its patterns is shown as it is.
        filters << (ToQ(description).contains(patterns) ? ToQ(description)
                                                        : ToQ(description) + " (" + patterns + ")");
        if (pattern.empty())
            break;
    }
    return filters;
}

BOOL Run(LPOPENFILENAMEW ofn, bool save)
{
    if (ofn == nullptr || ofn->lpstrFile == nullptr || ofn->nMaxFile == 0)
        return FALSE;
    automation::FileDialogRecord record;
    record.save = save;
    record.title = ofn->lpstrTitle ? ofn->lpstrTitle : u"";
    record.defaultExtension = ofn->lpstrDefExt ? ofn->lpstrDefExt : u"";
    record.initialFileName = ofn->lpstrFile;
    record.flags = ofn->Flags;
    const QStringList filters = FiltersOf(ofn->lpstrFilter, &record.filter);

    std::u16string chosen;
    bool accepted = false;
    UiThread::Invoke(
        [&]
        {
            QFileDialog dialog(OwnerWidgetFor(ofn->hwndOwner), ToQ(record.title));
            dialog.setOption(QFileDialog::DontUseNativeDialog);
            dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            dialog.setOption(QFileDialog::DontConfirmOverwrite,
                             !(ofn->Flags & OFN_OVERWRITEPROMPT));
            if (!filters.isEmpty())
                dialog.setNameFilters(filters);
            if (!record.defaultExtension.empty())
                dialog.setDefaultSuffix(ToQ(record.defaultExtension));
            if (ofn->lpstrInitialDir != nullptr)
                dialog.setDirectory(ToQ(ofn->lpstrInitialDir));
            if (!record.initialFileName.empty())
                dialog.selectFile(ToQ(record.initialFileName));
            dialog.setWindowModality(Qt::ApplicationModal);
            if (auto handler = automation::detail::FileDialogHandler())
            {
                // Shown, then answered as the user would: a path, or Cancel (empty).
                QTimer::singleShot(0, &dialog,
                                   [&, handler]
                                   {
                                       chosen = handler(record);
                                       accepted = !chosen.empty();
                                       dialog.reject();
                                   });
                dialog.exec();
                return;
            }
            if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            {
                chosen = FromQ(dialog.selectedFiles().front());
                accepted = true;
            }
        });
    if (!accepted)
        return FALSE;
    if (chosen.size() + 1 > ofn->nMaxFile)
        return FALSE; // the caller's buffer cannot hold the path
    std::copy(chosen.begin(), chosen.end(), ofn->lpstrFile);
    ofn->lpstrFile[chosen.size()] = 0;
    const size_t slash = chosen.find_last_of(u'/');
    const size_t nameStart = slash == std::u16string::npos ? 0 : slash + 1;
    const size_t dot = chosen.find_last_of(u'.');
    ofn->nFileOffset = static_cast<WORD>(nameStart);
    ofn->nFileExtension =
        static_cast<WORD>(dot == std::u16string::npos || dot < nameStart ? chosen.size() : dot + 1);
    return TRUE;
}

} // namespace

} // namespace winplat

BOOL GetSaveFileNameW(LPOPENFILENAMEW lpofn)
{
    return winplat::Run(lpofn, true);
}
BOOL GetOpenFileNameW(LPOPENFILENAMEW lpofn)
{
    return winplat::Run(lpofn, false);
}
