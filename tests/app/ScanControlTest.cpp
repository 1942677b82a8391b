// Generate, the scan worker and the progress dialog, against a private directory and a generated
// organisation: what the lists show after completed, failed and stopped scans, Pause and Resume,
// Stop at awkward moments, and the ends of the main dialog and of a worker still taking its
// scanner down.
#include "app/KorvathDlg.h"
#include "platform/mapi/MapiFaults.h"
#include "platform/win/Automation.h"
#include "platform/win/UiThread.h"
#include "scan/StopFlag.h"
#include "tests/platform/ads/DirectoryTestSupport.h"
#include "tests/platform/win/GuiTest.h"
#include "tests/util/TempDir.h"
#include "tools/orggen/OrgGenerator.h"

#include <QApplication>
#include <QCursor>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <clocale>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace automation = winplat::automation;
using winplat::mapi::MapiFaults;
using namespace qmtest;

namespace
{

const std::string kMachine = "[machine]\nnetbios_domain = CORP\ndns_domain = corp.example.test\n"
                             "domain_controllers = DC01\ndns_server = 127.0.0.1:1\n";
constexpr auto kBound = std::chrono::seconds(60);

struct Column
{
    std::string text;
    int width = 0;
    int format = 0;
    bool operator==(const Column&) const = default;
};

// What the three list views show.
struct Lists
{
    std::vector<std::string> items[3];
    std::vector<int> images[3];
    std::vector<Column> columns[3];
    bool operator==(const Lists&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Lists& l)
{
    for (int i = 0; i < 3; ++i)
        os << "[list " << i << ": " << l.columns[i].size() << " columns, " << l.items[i].size()
           << " items] ";
    return os;
}

Lists Snapshot(CKorvathDlg& dlg)
{
    Lists out;
    CListCtrl* lists[3] = {&dlg.m_listOst, &dlg.m_listNonOst, &dlg.m_listErrors};
    for (int i = 0; i < 3; ++i)
    {
        for (int c = 0;; ++c)
        {
            WCHAR text[256] = {};
            LVCOLUMN col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT;
            col.pszText = text;
            col.cchTextMax = 256;
            if (!lists[i]->GetColumn(c, &col))
                break;
            out.columns[i].push_back({winplat::ToUtf8(text), col.cx, col.fmt});
        }
        const int n = lists[i]->GetItemCount();
        for (int k = 0; k < n; ++k)
        {
            out.items[i].push_back(winplat::ToUtf8(lists[i]->GetItemText(k, 0)));
            LVITEM item{};
            item.mask = LVIF_IMAGE;
            item.iItem = k;
            item.iImage = -1;
            lists[i]->GetItem(&item);
            out.images[i].push_back(item.iImage);
        }
    }
    return out;
}

bool WaitCursorShown()
{
    const QCursor* cursor = QApplication::overrideCursor();
    return cursor != nullptr && cursor->shape() == Qt::WaitCursor;
}

// Waits on the calling (worker) thread, without serving anything, until pred holds.
bool WorkerWaitsFor(const std::function<bool()>& pred)
{
    const auto until = std::chrono::steady_clock::now() + kBound;
    while (!pred())
    {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

class ScanControl : public testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        std::setlocale(LC_ALL, "C.UTF-8");
        setenv("WINPLAT_QUIET", "1", 1);
        s_dir = new TempDir("scan-control");
        orggen::OrgSpec spec;
        spec.mailboxes = 60;
        spec.contacts = 3;
        spec.cannotOpen = 5;
        s_generator = new orggen::OrgGenerator(spec);
        const std::string ldif = s_dir->Path() + "/org.ldif";
        const std::string store = s_dir->Path() + "/org.sqlite";
        ASSERT_EQ(s_generator->Write(ldif, store, s_dir->Path() + "/expected.txt"), "");
        s_server = new SlapdServer;
        ASSERT_TRUE(s_server->Start({ReadWholeFile(ldif)})) << s_server->LastError();
        // EXCH02 is a directory server like EXCH01 but no Exchange server: its scans fail at
        // the logon.
        const std::string at = s_server->Host() + ":" + std::to_string(s_server->Port());
        // EXCH02 is a directory server like EXCH01 but no Exchange server: its scans fail at
        // the logon.
        s_config = new ConfigFile(
            "[hosts]\nEXCH01 = " + at + "\nEXCH02 = " + at + "\nDC01 = " + at +
            "\n[directory]\nca_file = " + s_server->CaFile() + "\ntimeout_seconds = 10\n" +
            kMachine + "[messaging]\nprofiles = " + s_dir->Path() +
            "/profiles.db\n[exchange EXCH01]\nstore = " + store + "\n");
    }
    static void TearDownTestSuite()
    {
        delete s_config;
        delete s_server;
        delete s_generator;
        delete s_dir;
        unsetenv("WINPLAT_QUIET");
    }

    void SetUp() override
    {
        ASSERT_NE(s_server, nullptr);
        MapiFaults::Clear();
        g_nStopScan = 0;
        automation::SetMessageBoxHandler(
            [this](const automation::MessageBoxRecord& r)
            {
                std::lock_guard lock(m_mutex);
                m_boxes.push_back(r.text);
                return IDOK;
            });
    }
    void TearDown() override
    {
        automation::SetDialogHandler({});
        automation::SetMessageBoxHandler({});
        MapiFaults::Clear();
    }

    static Lists Expected()
    {
        const orggen::ExpectedLists& e = s_generator->Expected();
        Lists out;
        out.items[0] = e.ost;
        out.items[1] = e.nonOst;
        out.items[2] = e.errors;
        for (int i = 0; i < 3; ++i)
            out.images[i].assign(out.items[i].size(), 0);
        out.columns[0] = {{"ExchangeDN", 600, LVCFMT_LEFT}};
        out.columns[1] = {{"ExchangeDN", 600, LVCFMT_LEFT}};
        out.columns[2] = {{"ExchangeDN -Error", 600, LVCFMT_LEFT}};
        return out;
    }

    std::vector<std::u16string> Boxes()
    {
        std::lock_guard lock(m_mutex);
        return m_boxes;
    }

    // Runs the main dialog with the inputs typed, runs body inside it and closes it. Each
    // progress dialog that opens meanwhile is handed to m_onProgress.
    void RunMain(const std::function<void(CKorvathDlg&, HWND)>& body,
                 const std::function<void(CKorvathDlg&)>& afterRun = {},
                 std::u16string password = u"Secret1!")
    {
        CKorvathDlg dlg;
        m_dlg = &dlg;
        automation::SetDialogHandler(
            [&](HWND h, unsigned id)
            {
                if (id == IDD_PROGRESS)
                {
                    ++m_progressRuns;
                    m_progressText = automation::GetText(GetDlgItem(h, IDC_PROGRESS_TEXT));
                    m_pauseTextAtOpening = automation::GetText(GetDlgItem(h, IDC_PAUSE));
                    m_mainEnabledDuringScan = automation::IsEnabled(m_main);
                    m_generateRespondedDuringScan =
                        automation::Click(GetDlgItem(m_main, IDC_GENERATE));
                    if (m_onProgress)
                        m_onProgress(h);
                    return;
                }
                if (id != IDD_MAIN)
                    return;
                m_main = h;
                automation::SetText(GetDlgItem(h, IDC_SERVER), m_serverName);
                automation::SetText(GetDlgItem(h, IDC_USERNAME), u"CORP\\Administrator");
                automation::SetText(GetDlgItem(h, IDC_PASSWORD), password);
                body(dlg, h);
                automation::Click(GetDlgItem(h, IDCANCEL));
            });
        dlg.DoModal();
        automation::SetDialogHandler({});
        if (afterRun)
            afterRun(dlg);
        m_dlg = nullptr;
    }

    // Clicks Generate and, once the progress dialog is gone, waits for the worker's end.
    void Generate(HWND main)
    {
        ASSERT_TRUE(automation::Click(GetDlgItem(main, IDC_GENERATE)));
        WaitForWorker();
    }
    void WaitForWorker()
    {
        if (m_dlg->m_pScanThread != nullptr)
        {
            ASSERT_EQ(WaitForSingleObject(m_dlg->m_pScanThread->m_hThread, 60000), WAIT_OBJECT_0);
        }
    }
    DWORD WorkerExitCode()
    {
        DWORD code = 12345;
        GetExitCodeThread(m_dlg->m_pScanThread->m_hThread, &code);
        return code;
    }

    // Holds the worker at its n-th mailbox store until a stop is asked for or release holds.
    void HoldWorkerAtMailbox(unsigned n, std::function<bool()> release = {})
    {
        m_reached = false;
        MapiFaults::OnCall(
            "IMAPISession::OpenMsgStore",
            [this, release]
            {
                m_reached = true;
                WorkerWaitsFor([&] { return IsStopRequested() || (release && release()); });
            },
            n);
    }

    static TempDir* s_dir;
    static orggen::OrgGenerator* s_generator;
    static SlapdServer* s_server;
    static ConfigFile* s_config;

    std::u16string m_serverName = u"EXCH01";
    CKorvathDlg* m_dlg = nullptr;
    HWND m_main = nullptr;
    std::function<void(HWND)> m_onProgress;
    int m_progressRuns = 0;
    std::u16string m_progressText;
    std::u16string m_pauseTextAtOpening;
    bool m_mainEnabledDuringScan = true;
    bool m_generateRespondedDuringScan = true;
    std::atomic<bool> m_reached{false};
    std::mutex m_mutex;
    std::vector<std::u16string> m_boxes;
};

TempDir* ScanControl::s_dir = nullptr;
orggen::OrgGenerator* ScanControl::s_generator = nullptr;
SlapdServer* ScanControl::s_server = nullptr;
ConfigFile* ScanControl::s_config = nullptr;

} // namespace

TEST_F(ScanControl, CompletedScansFillEveryListInScannerOrderAndAddTheColumnsOnce)
{
    const Lists expected = Expected();
    ASSERT_GT(expected.items[0].size(), 5u);
    ASSERT_GT(expected.items[1].size(), 5u);
    ASSERT_GT(expected.items[2].size(), 3u);
    Lists first, second, afterRejected;
    int progressRunsAfterRejected = 0;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            Generate(main);
            first = Snapshot(dlg);
            // The second scan clears before it fills: no doubled items, no second column.
            Generate(main);
            second = Snapshot(dlg);
            EXPECT_EQ(WorkerExitCode(), 0u);

            automation::SetText(GetDlgItem(main, IDC_PASSWORD), u"wrong");
            ASSERT_TRUE(Boxes().empty());
            ASSERT_TRUE(automation::Click(GetDlgItem(main, IDC_GENERATE)));
            afterRejected = Snapshot(dlg);
            progressRunsAfterRejected = m_progressRuns;
        });
    EXPECT_EQ(first, expected);
    EXPECT_EQ(second, expected);
    EXPECT_EQ(m_progressText, u"                                Working...");
    EXPECT_EQ(m_pauseTextAtOpening, u"Pause");
    EXPECT_FALSE(m_mainEnabledDuringScan);
    EXPECT_FALSE(m_generateRespondedDuringScan);

    // Rejected credentials: one message, no progress dialog, the lists as they were.
    EXPECT_EQ(progressRunsAfterRejected, 2);
    EXPECT_EQ(afterRejected, expected);
    EXPECT_EQ(Boxes(), std::vector<std::u16string>{u"Invalid credentials."});
    EXPECT_EQ(g_nStopScan, 0);
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}

TEST_F(ScanControl, FailedScanEmptiesTheListsAndKeepsTheColumns)
{
    Lists afterFailure;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            Generate(main);
            automation::SetText(GetDlgItem(main, IDC_SERVER), u"EXCH02");
            Generate(main);
            afterFailure = Snapshot(dlg);
        });
    Lists expected = Expected();
    for (int i = 0; i < 3; ++i)
    {
        expected.items[i].clear();
        expected.images[i].clear();
    }
    EXPECT_EQ(afterFailure, expected);
    EXPECT_FALSE(Boxes().empty()); // the scanner told why
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}

// ---- Stop ----

struct StopCase
{
    const char* name;
    bool pauseFirst;
    bool bySystemClose; // Alt+F4 on the progress dialog instead of the Stop button
};

void PrintTo(const StopCase& c, std::ostream* os)
{
    *os << c.name;
}

class ScanStop : public ScanControl, public testing::WithParamInterface<StopCase>
{
protected:
    // Runs one scan and stops it while the worker stands at its fifth mailbox (paused there
    // first if the case says so). Returns the lists afterwards.
    Lists StoppedScan(CKorvathDlg& dlg, HWND main)
    {
        const StopCase& c = GetParam();
        std::atomic<bool> pauseClicked{false};
        HoldWorkerAtMailbox(5, [&] { return pauseClicked.load(); });
        m_onProgress = [&](HWND prog)
        {
            EXPECT_TRUE(guitest::WaitUntil([&] { return m_reached.load(); }, kBound));
            if (c.pauseFirst)
            {
                EXPECT_TRUE(automation::Click(GetDlgItem(prog, IDC_PAUSE)));
                pauseClicked = true;
                EXPECT_TRUE(guitest::WaitUntil(
                    [&] { return winplat::IsThreadParked(dlg.m_pScanThread->m_hThread); }, kBound));
            }
            if (c.bySystemClose)
                EXPECT_TRUE(automation::PressKey(VK_F4, prog, true));
            else
                EXPECT_TRUE(automation::Click(GetDlgItem(prog, IDC_STOP)));
            // Stop returns only after the worker has ended.
            DWORD code = 1;
            EXPECT_TRUE(GetExitCodeThread(dlg.m_pScanThread->m_hThread, &code));
            EXPECT_EQ(code, 0u);
            EXPECT_EQ(g_nStopScan, 0);
        };
        Generate(main);
        m_onProgress = {};
        MapiFaults::Clear();
        return Snapshot(dlg);
    }
};

TEST_P(ScanStop, LeavesTheListsExactlyAsBefore)
{
    Lists empty, afterFirstStop, completed, afterSecondStop;
    std::u16string pauseTextAfterStop;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            empty = Snapshot(dlg);
            afterFirstStop = StoppedScan(dlg, main);
            Generate(main);
            completed = Snapshot(dlg);
            afterSecondStop = StoppedScan(dlg, main);

            // The next run opens ready to pause, and its first click pauses.
            std::u16string textAfterClick;
            m_onProgress = [&](HWND prog)
            {
                ASSERT_TRUE(automation::Click(GetDlgItem(prog, IDC_PAUSE)));
                textAfterClick = automation::GetText(GetDlgItem(prog, IDC_PAUSE));
                ASSERT_TRUE(automation::Click(GetDlgItem(prog, IDC_PAUSE)));
            };
            Generate(main);
            EXPECT_EQ(m_pauseTextAtOpening, u"Pause");
            EXPECT_EQ(textAfterClick, u"Resume");
            m_onProgress = {};
        });
    EXPECT_EQ(afterFirstStop, empty);
    EXPECT_EQ(afterFirstStop.columns[0].size(), 0u);
    EXPECT_EQ(completed, Expected());
    EXPECT_EQ(afterSecondStop, completed);
    EXPECT_EQ(g_nStopScan, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}

INSTANTIATE_TEST_SUITE_P(Ways, ScanStop,
                         testing::Values(StopCase{"StopButton", false, false},
                                         StopCase{"StopWhilePaused", true, false},
                                         StopCase{"SystemClose", false, true},
                                         StopCase{"SystemCloseWhilePaused", true, true}),
                         [](const testing::TestParamInfo<StopCase>& i) { return i.param.name; });

namespace
{
WNDPROC g_listProc = nullptr;
std::atomic<bool> g_stopAtFirstInsert{false};

// Clicks Stop right after the first item of a fill has gone in, while the worker is between
// two of its requests.
LRESULT StopOnFirstInsert(HWND h, UINT msg, WPARAM wParam, LPARAM lParam)
{
    const LRESULT r = CallWindowProc(g_listProc, h, msg, wParam, lParam);
    if (msg == LVM_INSERTITEM && g_stopAtFirstInsert.exchange(false))
    {
        const HWND prog = automation::FindDialog(IDD_PROGRESS);
        PostMessage(prog, WM_COMMAND, MAKEWPARAM(IDC_STOP, BN_CLICKED),
                    reinterpret_cast<LPARAM>(GetDlgItem(prog, IDC_STOP)));
    }
    return r;
}
} // namespace

// The worker has seen no stop and fills the lists while Stop waits for it: both go on, and the
// lists hold the whole completed scan.
TEST_F(ScanControl, StopWhileTheListsFillNeitherDeadlocksNorLeavesAPartialList)
{
    Lists afterStop;
    bool progressClosed = false;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            g_listProc = reinterpret_cast<WNDPROC>(
                SetWindowLongPtr(dlg.m_listOst.m_hWnd, GWLP_WNDPROC,
                                 reinterpret_cast<LONG_PTR>(&StopOnFirstInsert)));
            g_stopAtFirstInsert = true;
            Generate(main);
            SetWindowLongPtr(dlg.m_listOst.m_hWnd, GWLP_WNDPROC,
                             reinterpret_cast<LONG_PTR>(g_listProc));
            progressClosed = automation::FindDialog(IDD_PROGRESS) == nullptr;
            afterStop = Snapshot(dlg);
        });
    EXPECT_FALSE(g_stopAtFirstInsert.load()); // the Stop was really given during the fill
    EXPECT_TRUE(progressClosed);
    EXPECT_EQ(afterStop, Expected());
    EXPECT_EQ(g_nStopScan, 0);
}

// ---- Pause ----

TEST_F(ScanControl, PausedWorkerMakesNoProgressUntilResumed)
{
    MapiFaults::Record(true);
    std::atomic<bool> pauseClicked{false};
    HoldWorkerAtMailbox(5, [&] { return pauseClicked.load(); });
    unsigned opensWhenParked = 0, opensLater = 0;
    bool stillParked = false;
    std::u16string pausedText, resumedText;
    Lists result;
    m_onProgress = [&](HWND prog)
    {
        ASSERT_TRUE(guitest::WaitUntil([&] { return m_reached.load(); }, kBound));
        ASSERT_TRUE(automation::Click(GetDlgItem(prog, IDC_PAUSE)));
        pausedText = automation::GetText(GetDlgItem(prog, IDC_PAUSE));
        pauseClicked = true;
        const HANDLE worker = m_dlg->m_pScanThread->m_hThread;
        ASSERT_TRUE(guitest::WaitUntil([&] { return winplat::IsThreadParked(worker); }, kBound));
        opensWhenParked = MapiFaults::CallCount("OpenMsgStore");
        // The user-interface thread stays free meanwhile: this loop serves it.
        guitest::WaitUntil([] { return false; }, std::chrono::milliseconds(300));
        opensLater = MapiFaults::CallCount("OpenMsgStore");
        stillParked = winplat::IsThreadParked(worker);
        ASSERT_TRUE(automation::Click(GetDlgItem(prog, IDC_PAUSE)));
        resumedText = automation::GetText(GetDlgItem(prog, IDC_PAUSE));
    };
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            Generate(main);
            result = Snapshot(dlg);
        });
    EXPECT_EQ(pausedText, u"Resume");
    EXPECT_EQ(resumedText, u"Pause");
    EXPECT_GE(opensWhenParked, 5u);
    EXPECT_EQ(opensLater, opensWhenParked);
    EXPECT_TRUE(stillParked);
    EXPECT_EQ(result, Expected()); // the scan went on from where it stood
}

// Enter and Escape neither press Pause or Stop nor end the progress dialog.
TEST_F(ScanControl, EnterAndEscapeLeaveTheProgressDialogAlone)
{
    std::atomic<bool> release{false};
    HoldWorkerAtMailbox(3, [&] { return release.load(); });
    bool openAfterKeys = false;
    std::u16string pauseText;
    Lists result;
    m_onProgress = [&](HWND prog)
    {
        ASSERT_TRUE(guitest::WaitUntil([&] { return m_reached.load(); }, kBound));
        for (HWND target : {GetDlgItem(prog, IDC_PAUSE), GetDlgItem(prog, IDC_STOP), prog})
        {
            SetFocus(target);
            automation::PressKey(VK_RETURN, target);
            automation::PressKey(VK_ESCAPE, target);
        }
        guitest::WaitUntil([&] { return !IsWindowVisible(prog); }, std::chrono::milliseconds(200));
        openAfterKeys = IsWindowVisible(prog) != FALSE;
        pauseText = automation::GetText(GetDlgItem(prog, IDC_PAUSE));
        release = true;
    };
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            Generate(main);
            result = Snapshot(dlg);
        });
    EXPECT_TRUE(openAfterKeys);
    EXPECT_EQ(pauseText, u"Pause");
    EXPECT_EQ(result, Expected()); // not stopped either
}

// ---- A worker still taking its scanner down ----

TEST_F(ScanControl, GenerateWaitsUnderTheWaitCursorForTheLastWorkersEnd)
{
    std::atomic<bool> generateAgain{false};
    std::atomic<bool> sawWaitCursor{false};
    std::atomic<bool> sawProgress{true};
    MapiFaults::OnCall("MAPIUninitialize",
                       [&]
                       {
                           WorkerWaitsFor([&] { return generateAgain.load(); });
                           winplat::UiThread::Invoke(
                               [&]
                               {
                                   sawWaitCursor = WaitCursorShown();
                                   sawProgress = automation::FindDialog(IDD_PROGRESS) != nullptr;
                               });
                       });
    Lists result;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            ASSERT_TRUE(automation::Click(GetDlgItem(main, IDC_GENERATE)));
            // The first progress dialog is gone; its worker is held in its teardown.
            DWORD code = 0;
            ASSERT_TRUE(GetExitCodeThread(dlg.m_pScanThread->m_hThread, &code));
            EXPECT_EQ(code, STILL_ACTIVE);
            generateAgain = true;
            Generate(main);
            result = Snapshot(dlg);
        });
    EXPECT_TRUE(sawWaitCursor.load());
    EXPECT_FALSE(sawProgress.load());
    EXPECT_EQ(m_progressRuns, 2);
    EXPECT_EQ(result, Expected());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(ScanControl, ClosingTheMainDialogWaitsForTheWorkersEnd)
{
    std::atomic<bool> closing{false};
    std::atomic<bool> teardownDone{false};
    MapiFaults::OnCall("MAPIUninitialize",
                       [&]
                       {
                           WorkerWaitsFor([&] { return closing.load(); });
                           // Long enough for a dialog that does not wait to be gone by now.
                           std::this_thread::sleep_for(std::chrono::milliseconds(300));
                           teardownDone = true;
                       });
    bool doneWhenClosed = false;
    DWORD exitCode = 1;
    RunMain(
        [&](CKorvathDlg&, HWND main)
        {
            ASSERT_TRUE(automation::Click(GetDlgItem(main, IDC_GENERATE)));
            closing = true; // the worker is in its teardown; RunMain closes the dialog next
        },
        [&](CKorvathDlg& dlg)
        {
            doneWhenClosed = teardownDone.load();
            GetExitCodeThread(dlg.m_pScanThread->m_hThread, &exitCode);
        });
    EXPECT_TRUE(doneWhenClosed);
    EXPECT_EQ(exitCode, 0u);
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}

// ---- Many sequences at random moments ----

TEST_F(ScanControl, RandomGeneratePauseResumeStopSequencesEndCleanly)
{
    MapiFaults::Slow("IMAPISession::OpenMsgStore", std::chrono::milliseconds(2));
    const unsigned seed = std::random_device{}();
    SCOPED_TRACE("seed " + std::to_string(seed));
    std::mt19937 rng(seed);
    const Lists expected = Expected();
    constexpr int kRounds = 40;
    int completed = 0, stopped = 0;
    RunMain(
        [&](CKorvathDlg& dlg, HWND main)
        {
            for (int round = 0; round < kRounds; ++round)
            {
                if (rng() % 3 == 0)
                {
                    // Something on the lists to tell a stopped scan from a completed one.
                    SendMessage(GetDlgItem(main, IDC_RESULT_TAB), TCM_SETCURSEL, rng() % 3, 0);
                    automation::Click(GetDlgItem(main, IDC_CLEAR));
                }
                const Lists before = Snapshot(dlg);
                bool paused = false;
                m_onProgress = [&](HWND prog)
                {
                    for (int step = 0; step < 6 && IsWindow(prog); ++step)
                    {
                        guitest::WaitUntil([&] { return !IsWindow(prog); },
                                           std::chrono::milliseconds(rng() % 60));
                        if (!IsWindow(prog))
                            return;
                        switch (rng() % 5)
                        {
                        case 0:
                        case 1:
                            automation::Click(GetDlgItem(prog, IDC_PAUSE));
                            paused = !paused;
                            break;
                        case 2:
                            automation::Click(GetDlgItem(prog, IDC_STOP));
                            return;
                        case 3:
                            automation::PressKey(VK_F4, prog, true);
                            return;
                        default:
                            break;
                        }
                    }
                    if (IsWindow(prog) && paused)
                        automation::Click(GetDlgItem(prog, IDC_PAUSE));
                };
                // Sometimes straight on, while the last worker may still be ending.
                ASSERT_TRUE(automation::Click(GetDlgItem(main, IDC_GENERATE)));
                if (rng() % 2 == 0)
                    WaitForWorker();
                const Lists after = Snapshot(dlg);
                if (after == expected)
                    ++completed;
                else
                {
                    EXPECT_EQ(after, before) << "round " << round;
                    ++stopped;
                }
                if (rng() % 2 == 0)
                {
                    WaitForWorker();
                    EXPECT_EQ(g_nStopScan, 0);
                }
            }
            m_onProgress = {};
            WaitForWorker();
        });
    EXPECT_EQ(completed + stopped, kRounds);
    RecordProperty("completed", completed);
    RecordProperty("stopped", stopped);
    EXPECT_EQ(g_nStopScan, 0);
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(MapiFaults::LiveObjects(), 0);
}
