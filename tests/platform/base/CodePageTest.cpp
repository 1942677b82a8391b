#include "platform/base/CodePage.h"

#include <clocale>
#include <gtest/gtest.h>
#include <locale.h>
#include <thread>

namespace
{

// Runs fn on a thread whose locale is `name`; CP_THREAD_ACP follows the thread's locale.
template <typename Fn> void OnThreadWithLocale(const char* name, Fn fn)
{
    std::thread t(
        [&]
        {
            locale_t loc = newlocale(LC_ALL_MASK, name, static_cast<locale_t>(nullptr));
            ASSERT_NE(loc, static_cast<locale_t>(nullptr)) << name;
            locale_t old = uselocale(loc);
            fn();
            uselocale(old);
            freelocale(loc);
        });
    t.join();
}

} // namespace

TEST(CodePage, ThreadLocaleDecidesTheCodeset)
{
    const char16_t* name = u"Jürgen Ø";
    OnThreadWithLocale(
        "C.UTF-8",
        [&]
        {
            EXPECT_EQ(winplat::WideToAnsi(name, CP_THREAD_ACP), "J\xC3\xBCrgen \xC3\x98");
            EXPECT_EQ(winplat::AnsiToWide("J\xC3\xBCrgen", CP_THREAD_ACP), u"Jürgen");
        });
    OnThreadWithLocale("C",
                       [&]
                       {
                           bool usedDefault = false;
                           // ASCII has neither character: each becomes one replacement, the rest
                           // survives.
                           EXPECT_EQ(winplat::WideToAnsi(name, CP_THREAD_ACP, &usedDefault),
                                     "J?rgen ?");
                           EXPECT_TRUE(usedDefault);
                       });
}

TEST(CodePage, Win32CallsSizeAndConvert)
{
    OnThreadWithLocale(
        "C.UTF-8",
        []
        {
            const char16_t* src = u"TempAdmin1";
            int needed =
                WideCharToMultiByte(CP_THREAD_ACP, 0, src, -1, nullptr, 0, nullptr, nullptr);
            EXPECT_EQ(needed, 11); // terminator included
            char buf[32];
            EXPECT_EQ(
                WideCharToMultiByte(CP_THREAD_ACP, 0, src, -1, buf, sizeof buf, nullptr, nullptr),
                11);
            EXPECT_STREQ(buf, "TempAdmin1");
            EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, src, -1, buf, 4, nullptr, nullptr), 0);

            char16_t wide[32];
            EXPECT_EQ(MultiByteToWideChar(CP_THREAD_ACP, 0, "h\xC3\xA9", -1, wide, 32), 3);
            EXPECT_EQ(std::u16string(wide), u"hé");
            EXPECT_STREQ(static_cast<LPSTR>(CW2A(u"é", CP_THREAD_ACP)), "\xC3\xA9");
        });
    OnThreadWithLocale("C",
                       []
                       {
                           char buf[8];
                           BOOL used = FALSE;
                           EXPECT_EQ(WideCharToMultiByte(CP_THREAD_ACP, 0, u"a\u20ACb?", 4, buf,
                                                         sizeof buf, "_", &used),
                                     4);
                           EXPECT_EQ(std::string(buf, 4), "a_b?");
                           EXPECT_TRUE(used);
                       });
}
