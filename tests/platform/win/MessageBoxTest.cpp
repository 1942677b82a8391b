// The standard message box: what it shows, where it runs, how it is answered.
#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"
#include "platform/win/Module.h"
#include "tests/platform/win/GuiTest.h"

#include <QApplication>
#include <QDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using winplat::automation::MessageBoxRecord;
using winplat::automation::SetMessageBoxHandler;

namespace
{

// What the handler saw of the real box while it was up.
struct Seen
{
    MessageBoxRecord record;
    bool onUiThread = false;
    QString shownText;
    QString shownTitle;
    QMessageBox::Icon shownIcon = QMessageBox::NoIcon;
    int buttons = 0;
};

class MessageBoxTest : public ::testing::Test
{
protected:
    void Record(int answer)
    {
        SetMessageBoxHandler(
            [this, answer](const MessageBoxRecord& r)
            {
                Seen s;
                s.record = r;
                s.onUiThread = QThread::currentThread() == QApplication::instance()->thread();
                if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                {
                    s.shownText = box->text();
                    s.shownTitle = box->windowTitle();
                    s.shownIcon = box->icon();
                    s.buttons = static_cast<int>(box->buttons().size());
                }
                seen.push_back(s);
                return answer;
            });
    }
    void TearDown() override { SetMessageBoxHandler({}); }

    std::vector<Seen> seen;
};

struct IconCase
{
    const char* name;
    UINT type;
    QMessageBox::Icon icon;
};

class MessageBoxIconTest : public MessageBoxTest, public ::testing::WithParamInterface<IconCase>
{
};

TEST_P(MessageBoxIconTest, ShowsTextCaptionAndIconOnTheUiThread)
{
    Record(IDOK);
    const int result = AfxMessageBox(_T("Invalid credentials."), GetParam().type);
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seen.size(), 1u);
    const Seen& s = seen.front();
    EXPECT_EQ(s.record.text, u"Invalid credentials.");
    EXPECT_EQ(s.record.caption, winplat::ModuleTitle());
    EXPECT_EQ(s.record.type, GetParam().type);
    EXPECT_TRUE(s.record.fromUiThread);
    EXPECT_TRUE(s.onUiThread);
    // The real box was on the screen with the same content.
    EXPECT_EQ(s.shownText, QString("Invalid credentials."));
    EXPECT_EQ(s.shownTitle, QString::fromUtf16(winplat::ModuleTitle().c_str()));
    EXPECT_EQ(s.shownIcon, GetParam().icon);
    EXPECT_EQ(s.buttons, 1);
}

INSTANTIATE_TEST_SUITE_P(
    Icons, MessageBoxIconTest,
    ::testing::Values(IconCase{"Error", MB_ICONERROR, QMessageBox::Critical},
                      IconCase{"Exclamation", MB_ICONEXCLAMATION, QMessageBox::Warning},
                      IconCase{"Information", MB_ICONINFORMATION, QMessageBox::Information},
                      IconCase{"None", MB_OK, QMessageBox::NoIcon}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MessageBoxTest, CaptionIsTheProgramFileNameWithoutExtension)
{
    EXPECT_EQ(std::u16string(AfxGetAppName()), u"platform_win_messagebox_test");
}

TEST_F(MessageBoxTest, BoxFromWorkerRunsOnUiThreadWhileWorkerWaits)
{
    std::atomic<bool> workerReturned{false};
    std::atomic<bool> returnedBeforeAnswer{false};
    SetMessageBoxHandler(
        [&](const MessageBoxRecord& r)
        {
            Seen s;
            s.record = r;
            s.onUiThread = QThread::currentThread() == QApplication::instance()->thread();
            s.shownText =
                qobject_cast<QMessageBox*>(QApplication::activeModalWidget())
                    ? qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->text()
                    : QString();
            returnedBeforeAnswer = workerReturned.load();
            seen.push_back(s);
            return IDOK;
        });
    int result = 0;
    std::thread worker(
        [&]
        {
            result = AfxMessageBox(_T("No mailboxes found."), MB_ICONINFORMATION);
            workerReturned = true;
        });
    EXPECT_TRUE(guitest::WaitUntil([&] { return workerReturned.load(); }));
    worker.join();
    EXPECT_EQ(result, IDOK);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_TRUE(seen[0].onUiThread);
    EXPECT_FALSE(seen[0].record.fromUiThread);
    EXPECT_EQ(seen[0].shownText, QString("No mailboxes found."));
    EXPECT_FALSE(returnedBeforeAnswer.load());
}

TEST_F(MessageBoxTest, BoxFromWorkerIsServedInsideARunningModalLoop)
{
    QDialog dialog;
    bool dialogWasModal = false;
    SetMessageBoxHandler(
        [&](const MessageBoxRecord&)
        {
            dialogWasModal = dialog.isVisible();
            return IDOK;
        });
    std::atomic<bool> done{false};
    std::thread worker;
    QTimer::singleShot(0, &dialog,
                       [&]
                       {
                           worker = std::thread(
                               [&]
                               {
                                   AfxMessageBox(_T("Exchange login failed."), MB_ICONERROR);
                                   done = true;
                               });
                       });
    // The dialog's own loop must carry the request; it closes itself once the worker is back.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &dialog,
                     [&]
                     {
                         if (done)
                             dialog.accept();
                     });
    poll.start(2);
    dialog.exec();
    worker.join();
    EXPECT_TRUE(done.load());
    EXPECT_TRUE(dialogWasModal);
}

TEST_F(MessageBoxTest, HandlerAnswerIsReturned)
{
    Record(IDCANCEL);
    EXPECT_EQ(AfxMessageBox(_T("Replace?"), MB_OKCANCEL | MB_ICONEXCLAMATION), IDCANCEL);
    Record(IDNO);
    EXPECT_EQ(MessageBoxW(nullptr, u"Go on?", u"Title", MB_YESNO), IDNO);
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].buttons, 2);
    EXPECT_EQ(seen[1].record.caption, u"Title");
}

// Without a handler the box waits for a real click, as a user would give it.
TEST_F(MessageBoxTest, RealClickOnTheButtonAnswers)
{
    struct Case
    {
        UINT type;
        QMessageBox::StandardButton press;
        int expected;
    };
    for (const Case c :
         {Case{MB_OK, QMessageBox::Ok, IDOK}, Case{MB_OKCANCEL, QMessageBox::Cancel, IDCANCEL},
          Case{MB_YESNOCANCEL, QMessageBox::No, IDNO}})
    {
        QTimer clicker;
        QObject::connect(&clicker, &QTimer::timeout,
                         [&]
                         {
                             if (auto* box =
                                     qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                                 if (QAbstractButton* b = box->button(c.press))
                                     b->click();
                         });
        clicker.start(5);
        EXPECT_EQ(AfxMessageBox(_T("Question"), c.type), c.expected) << c.type;
    }
}

TEST_F(MessageBoxTest, EscapeOnAnOkOnlyBoxAnswersOk)
{
    QTimer escaper;
    QObject::connect(&escaper, &QTimer::timeout,
                     [&]
                     {
                         if (QWidget* box = QApplication::activeModalWidget())
                             box->close();
                     });
    escaper.start(5);
    EXPECT_EQ(AfxMessageBox(_T("Closed by the title bar")), IDOK);
}

TEST_F(MessageBoxTest, NoMainWindowGivesNullHandle)
{
    EXPECT_EQ(AfxGetMainWnd()->GetSafeHwnd(), nullptr);
    EXPECT_FALSE(static_cast<bool>(AfxGetMainWnd()));
}

} // namespace
