// The save dialog: what it is asked to show, and what the program gets back.
#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace automation = winplat::automation;

namespace
{

constexpr DWORD kSaveFlags =
    OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_LONGNAMES | OFN_ENABLESIZING;

// The save dialog as the report's Save button asks for it.
class SaveDialog : public CFileDialog
{
public:
    SaveDialog()
        : CFileDialog(FALSE, _T("txt"), nullptr, kSaveFlags, _T("csv Files (*.csv)|*.csv||"))
    {
        m_ofn.lpstrTitle = _T("Save as");
    }
};

TEST(FileDialog, ShowsWhatItWasAskedForAndReturnsThePath)
{
    automation::FileDialogRecord seen;
    bool shownAsDialog = false;
    automation::SetFileDialogHandler(
        [&](const automation::FileDialogRecord& r)
        {
            seen = r;
            shownAsDialog =
                qobject_cast<QFileDialog*>(QApplication::activeModalWidget()) != nullptr;
            return std::u16string(u"/tmp/reports/ost.csv");
        });
    SaveDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    automation::SetFileDialogHandler({});
    EXPECT_TRUE(shownAsDialog);
    EXPECT_TRUE(seen.save);
    EXPECT_EQ(seen.title, u"Save as");
    EXPECT_EQ(seen.filter, u"csv Files (*.csv)|*.csv|");
    EXPECT_EQ(seen.defaultExtension, u"txt");
    EXPECT_EQ(seen.initialFileName, u"");
    EXPECT_EQ(seen.flags & kSaveFlags, kSaveFlags);
    EXPECT_EQ(dlg.GetPathName(), _T("/tmp/reports/ost.csv"));
    EXPECT_EQ(dlg.GetFileName(), _T("ost.csv"));
    EXPECT_EQ(dlg.GetFileExt(), _T("csv"));
    EXPECT_EQ(dlg.GetFileTitle(), _T("ost"));
}

TEST(FileDialog, ExtensionIsTheTextAfterTheLastDotOfTheName)
{
    struct Case
    {
        const char16_t* path;
        const char16_t* ext;
    };
    for (const Case c : {Case{u"/tmp/a.CSV", u"CSV"}, Case{u"/tmp/a.b.txt", u"txt"},
                         Case{u"/tmp/dir.d/name", u""}, Case{u"/tmp/name.", u""}})
    {
        automation::SetFileDialogHandler([&](const auto&) { return std::u16string(c.path); });
        SaveDialog dlg;
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(dlg.GetFileExt(), CString(c.ext));
    }
    automation::SetFileDialogHandler({});
}

TEST(FileDialog, CancelReturnsCancel)
{
    automation::SetFileDialogHandler([](const auto&) { return std::u16string(); });
    SaveDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    automation::SetFileDialogHandler({});
}

TEST(FileDialog, TheRealDialogTakesATypedNameAndAddsTheDefaultExtension)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString typed = dir.path() + "/report";
    QTimer typist;
    QObject::connect(&typist, &QTimer::timeout,
                     [&]
                     {
                         auto* dialog =
                             qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                         if (dialog == nullptr || !dialog->isVisible())
                             return;
                         typist.stop();
                         auto* name = dialog->findChild<QLineEdit*>("fileNameEdit");
                         auto* buttons = dialog->findChild<QDialogButtonBox*>("buttonBox");
                         ASSERT_NE(name, nullptr);
                         ASSERT_NE(buttons, nullptr);
                         name->setText(typed);
                         buttons->button(QDialogButtonBox::Save)->click();
                     });
    typist.start(5);
    SaveDialog dlg;
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_EQ(dlg.GetPathName().Str(), (typed + ".txt").toStdU16String());
    EXPECT_EQ(dlg.GetFileExt(), _T("txt"));
}

TEST(FileDialog, FromAWorkerThread)
{
    automation::SetFileDialogHandler([](const auto&) { return std::u16string(u"/tmp/x.csv"); });
    std::atomic<INT_PTR> result{0};
    std::atomic<bool> done{false};
    std::thread worker(
        [&]
        {
            SaveDialog dlg;
            result = dlg.DoModal();
            done = true;
        });
    EXPECT_TRUE(guitest::WaitUntil([&] { return done.load(); }));
    worker.join();
    automation::SetFileDialogHandler({});
    EXPECT_EQ(result.load(), IDOK);
}

} // namespace
