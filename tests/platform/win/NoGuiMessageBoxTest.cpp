// The message box in a process without an application object: no crash, no hang.
#include "platform/afx/Afx.h"
#include "platform/win/Automation.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{

TEST(NoGuiMessageBox, WritesCaptionAndTextToStandardError)
{
    ::testing::internal::CaptureStderr();
    const int result = AfxMessageBox(_T("Login failed."), MB_ICONERROR);
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(err, "platform_win_nogui_test: Login failed.\n");
}

TEST(NoGuiMessageBox, FromAWorkerToo)
{
    int result = 0;
    ::testing::internal::CaptureStderr();
    std::thread([&] { result = AfxMessageBox(_T("From a worker")); }).join();
    const std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(err, "platform_win_nogui_test: From a worker\n");
}

TEST(NoGuiMessageBox, HandlerIsCalledDirectly)
{
    winplat::automation::MessageBoxRecord seen;
    winplat::automation::SetMessageBoxHandler(
        [&](const auto& r)
        {
            seen = r;
            return IDCANCEL;
        });
    EXPECT_EQ(AfxMessageBox(_T("Answered"), MB_OKCANCEL | MB_ICONINFORMATION), IDCANCEL);
    winplat::automation::SetMessageBoxHandler({});
    EXPECT_EQ(seen.text, u"Answered");
    EXPECT_EQ(seen.type, static_cast<unsigned>(MB_OKCANCEL | MB_ICONINFORMATION));
    EXPECT_FALSE(seen.fromUiThread);
}

} // namespace
