// Filling the three result lists of the main dialog, one window request per item, from a worker
// thread while the user-interface thread runs a modal loop, against the same fill made on the
// user-interface thread itself. A timer on the user-interface thread counts its ticks during the
// worker's fill: a user-interface thread that serves requests without returning to its event
// loop shows few or none.
//
//   list_fill_bench [results=100000] [rounds=3]
#include "app/KorvathDlg.h"
#include "app/ScanThreadProc.h"
#include "platform/afx/Afx.h"
#include "res/resource.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace
{

constexpr UINT kTickMs = 10;
constexpr UINT_PTR kTickTimer = 1;

struct ResultLists
{
    CListCtrl* ost;
    CListCtrl* nonOst;
    CListCtrl* errors;
};

// A scan's three result lists: about 30 % OST users, 65 % others and 5 % errors.
struct ScanResults
{
    CStringArray ost;
    CStringArray nonOst;
    CStringArray errors;
};

ScanResults MakeResults(size_t results)
{
    ScanResults r;
    for (size_t i = 0; i < results; ++i)
    {
        const size_t slot = i % 20;
        const std::string number = std::to_string(1000000 + i);
        std::u16string text = u"/o=Corp/ou=Exchange Administrative Group/cn=Recipients/cn=user";
        text.append(number.begin(), number.end());
        CStringArray& target = slot < 6 ? r.ost : slot < 19 ? r.nonOst : r.errors;
        target.Add(CString(text.c_str()));
    }
    return r;
}

// The fill itself is the scan worker's own: the three lists emptied, then one insertion per
// result in the scanner's order.
void FillLists(CKorvathDlg& dlg, const ScanResults& r)
{
    FillResultLists(dlg, r.ost, r.nonOst, r.errors);
}

// Brings each list's view up to date with its items: asking for the last item's rectangle needs
// the view's layout of every row.
void CatchUpViews(const ResultLists& lists)
{
    for (CListCtrl* list : {lists.ost, lists.nonOst, lists.errors})
    {
        CRect rect;
        list->GetItemRect(list->GetItemCount() - 1, &rect, LVIR_BOUNDS);
    }
}

// The main dialog, shown modeless, counting the ticks of its timer.
// The program's main dialog, with a timer that counts its ticks.
class TickingDialog final : public CKorvathDlg
{
public:
    TickingDialog() = default;
    int Ticks() const { return m_ticks.load(std::memory_order_relaxed); }

protected:
    void OnTimer(UINT_PTR nIDEvent)
    {
        if (nIDEvent == kTickTimer)
            m_ticks.fetch_add(1, std::memory_order_relaxed);
    }

private:
    std::atomic<int> m_ticks{0};
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TickingDialog, CKorvathDlg)
    ON_WM_TIMER()
END_MESSAGE_MAP()

double Seconds(Clock::duration d)
{
    return std::chrono::duration<double>(d).count();
}

// What any hand-off between two threads costs on this machine at the least: two plain threads
// passing a counter back and forth through one atomic, each spinning for the other's answer.
// Microseconds per round trip.
double HandOffFloor()
{
    constexpr unsigned kTrips = 100000;
    std::atomic<unsigned> turn{0};
    auto await = [&turn](unsigned value)
    {
        for (unsigned spins = 0; turn.load(std::memory_order_acquire) != value; ++spins)
            if (spins > 1000)
                std::this_thread::yield(); // the other thread may need this processor
    };
    std::thread other(
        [&]
        {
            for (unsigned i = 1; i <= kTrips; ++i)
            {
                await(2 * i - 1);
                turn.store(2 * i, std::memory_order_release);
            }
        });
    const auto start = Clock::now();
    for (unsigned i = 1; i <= kTrips; ++i)
    {
        turn.store(2 * i - 1, std::memory_order_release);
        await(2 * i);
    }
    const double seconds = Seconds(Clock::now() - start);
    other.join();
    return seconds / kTrips * 1e6;
}

struct Round
{
    double worker = 0;      // the fill alone
    double workerShown = 0; // the fill and the views caught up
    double direct = 0;
    double directShown = 0;
    int ticks = 0;
};

class FillBenchApp final : public CWinApp
{
public:
    FillBenchApp() : CWinApp(_T("list_fill_bench")) {}
    BOOL InitInstance() override;

    size_t m_results = 100000;
    int m_rounds = 3;
    bool m_ok = false;

private:
    Round RunRound(TickingDialog& main, const ResultLists& lists, const ScanResults& results);
};

Round FillBenchApp::RunRound(TickingDialog& main, const ResultLists& lists,
                             const ScanResults& results)
{
    Round round;
    // (a) From a worker while the user-interface thread is in a progress dialog's modal loop.
    // The fill's first request is served only by that loop, so the dialog's window exists by
    // the time the worker asks it to close.
    CDialog progress(IDD_PROGRESS, &main);
    Clock::duration workerTime{}, workerShown{};
    int ticksBefore = 0, ticksAfter = 0;
    std::thread worker(
        [&]
        {
            ticksBefore = main.Ticks();
            const auto start = Clock::now();
            FillLists(main, results);
            workerTime = Clock::now() - start;
            ticksAfter = main.Ticks();
            CatchUpViews(lists);
            workerShown = Clock::now() - start;
            ::PostMessage(progress.GetSafeHwnd(), WM_CLOSE, 0, 0);
        });
    progress.DoModal();
    worker.join();
    round.worker = Seconds(workerTime);
    round.workerShown = Seconds(workerShown);
    round.ticks = ticksAfter - ticksBefore;

    // (b) The same fill on the user-interface thread.
    const auto start = Clock::now();
    FillLists(main, results);
    round.direct = Seconds(Clock::now() - start);
    CatchUpViews(lists);
    round.directShown = Seconds(Clock::now() - start);
    return round;
}

BOOL FillBenchApp::InitInstance()
{
    INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
    InitCommonControlsEx(&init);

    TickingDialog main;
    if (!main.Create(IDD_MAIN))
    {
        std::fputs("list_fill_bench: the main dialog could not be created\n", stderr);
        return FALSE;
    }
    m_pMainWnd = &main;
    // The dialog's own start-up has set the lists up as the program has them.
    CListCtrl& ost = main.m_listOst;
    CListCtrl& nonOst = main.m_listNonOst;
    CListCtrl& errors = main.m_listErrors;
    const ScanResults results = MakeResults(m_results);
    main.SetTimer(kTickTimer, kTickMs, nullptr);

    std::printf("%zu results over three lists, %d rounds; timer every %u ms\n", m_results, m_rounds,
                kTickMs);
    std::printf("bare hand-off between two threads: %.2f us per round trip\n", HandOffFloor());
    // Every round starts from lists that have held as many items before, so that neither fill
    // pays alone for growing them.
    FillLists(main, results);
    std::vector<double> ratios, shownRatios;
    for (int i = 0; i < m_rounds; ++i)
    {
        const Round r = RunRound(main, {&ost, &nonOst, &errors}, results);
        const double expected = r.worker * 1000.0 / kTickMs;
        const double ratio = r.worker / r.direct;
        const double shownRatio = r.workerShown / r.directShown;
        ratios.push_back(ratio);
        shownRatios.push_back(shownRatio);
        std::printf("round %d: fill from a worker %.3f s, on the UI thread %.3f s, ratio %.2f "
                    "(%.2f us against %.2f us per result); until the views show all %.3f s "
                    "against %.3f s, ratio %.2f; timer ticks during the worker's fill %d of %.0f "
                    "expected\n",
                    i + 1, r.worker, r.direct, ratio, r.worker * 1e6 / m_results,
                    r.direct * 1e6 / m_results, r.workerShown, r.directShown, shownRatio, r.ticks,
                    expected);
        std::fflush(stdout);
    }
    for (auto* list : {&ratios, &shownRatios})
    {
        std::sort(list->begin(), list->end());
        std::printf("%s: min %.2f, median %.2f, max %.2f\n",
                    list == &ratios ? "fill ratio" : "until-shown ratio", list->front(),
                    (*list)[list->size() / 2], list->back());
    }
    const int counts[3] = {ost.GetItemCount(), nonOst.GetItemCount(), errors.GetItemCount()};
    m_ok = static_cast<size_t>(counts[0]) + counts[1] + counts[2] == m_results;
    if (!m_ok)
        std::fprintf(stderr, "list_fill_bench: the lists hold %d + %d + %d items\n", counts[0],
                     counts[1], counts[2]);
    main.KillTimer(kTickTimer);
    main.DestroyWindow();
    m_pMainWnd = nullptr;
    return FALSE;
}

} // namespace

FillBenchApp theApp;

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "C.UTF-8");
    setenv("WINPLAT_QUIET", "1", 1);
    if (std::getenv("QT_QPA_PLATFORM") == nullptr)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (argc > 1)
        theApp.m_results = std::strtoull(argv[1], nullptr, 10);
    if (argc > 2)
        theApp.m_rounds = std::max(1, std::atoi(argv[2]));
    const int code = AfxWinMain(argc, argv);
    return code != 0 ? code : theApp.m_ok ? 0 : 1;
}
