#include "platform/base/CString.h"
#include "platform/base/CStringArray.h"

#include <gtest/gtest.h>

TEST(CString, EditsUsedToBuildPathsAndSplitNames)
{
    CString dc = _T("\\\\DC01.corp.test");
    dc.Delete(0, 2);
    dc.Insert(0, _T("LDAP://"));
    EXPECT_EQ(dc, _T("LDAP://DC01.corp.test"));

    CString user = _T("CORP\\dept\\alice");
    int slash = user.Find(_T('\\'));
    EXPECT_EQ(slash, 4);
    EXPECT_EQ(user.Left(slash), _T("CORP"));
    EXPECT_EQ(user.Mid(slash + 1), _T("dept\\alice"));
    EXPECT_EQ(CString(_T("CORP\\")).Mid(5), _T(""));
    EXPECT_EQ(user.Right(5), _T("alice"));
    // Out-of-range arguments clamp instead of failing.
    EXPECT_EQ(user.Mid(100), _T(""));
    EXPECT_EQ(user.Left(-3), _T(""));
    EXPECT_EQ(user.Mid(2, 1000), _T("RP\\dept\\alice"));
    EXPECT_EQ(user.Find(_T('x'), 99), -1);
}

TEST(CString, ComparisonsAndCase)
{
    EXPECT_EQ(CString(_T("Top of Information Store")).Compare(_T("Top of information Store")), -1);
    EXPECT_EQ(CString(_T("TempAdmin1")).CompareNoCase(_T("tempadmin1")), 0);
    EXPECT_EQ(CString(_T("ÄRGER")).CompareNoCase(_T("ärger")), 0);
    EXPECT_NE(CString(_T("abc")).CompareNoCase(_T("abcd")), 0);
    CString s = _T("  Straße Ω ");
    s.Trim().MakeUpper();
    EXPECT_EQ(s, _T("STRAßE Ω"));
}

TEST(CString, BufferAndReplace)
{
    CString s;
    LPWSTR p = s.GetBuffer(10);
    p[0] = u'h';
    p[1] = u'i';
    p[2] = 0;
    s.ReleaseBuffer();
    EXPECT_EQ(s.GetLength(), 2);
    EXPECT_EQ(s, _T("hi"));

    CString r = _T("a,b,,c");
    EXPECT_EQ(r.Replace(_T(","), _T(";;")), 3);
    EXPECT_EQ(r, _T("a;;b;;;;c"));
    EXPECT_EQ(r.Replace(_T(""), _T("x")), 0);
}

TEST(CString, Utf8RoundTripKeepsEveryCharacter)
{
    std::u16string text = u"Łukasz Żółć \U0001F600 /o=Corp/cn=Recipients";
    EXPECT_EQ(winplat::FromUtf8(winplat::ToUtf8(text)), text);
    // Broken input becomes replacement characters, not a crash.
    EXPECT_EQ(winplat::FromUtf8("a\xC3"), u"a\uFFFD");
    EXPECT_EQ(winplat::FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(winplat::ToUtf8(std::u16string(1, char16_t(0xD800))), "\xEF\xBF\xBD");
}

TEST(CStringArray, KeepsOrderAndDuplicates)
{
    CStringArray a;
    EXPECT_EQ(a.Add(_T("x")), 0);
    EXPECT_EQ(a.Add(_T("y")), 1);
    EXPECT_EQ(a.Add(_T("x")), 2);
    a.RemoveAt(1);
    ASSERT_EQ(a.GetSize(), 2);
    EXPECT_EQ(a[0], _T("x"));
    EXPECT_EQ(a[1], _T("x"));
    EXPECT_THROW(a.GetAt(5), std::out_of_range);
}
