#include "classlib/ClassLib.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// "ソ" and "表" end in 0x5C (a backslash) and "ー" in 0x5B: searches and
// edits must take them as whole characters.
TEST(String, SearchesNeverMatchTheSecondByteOfADoubleByteCharacter)
{
    CString s("ソフト\\表");
    EXPECT_EQ(s.Find('\\'), 6);
    EXPECT_EQ(s.ReverseFind('\\'), 6);
    EXPECT_EQ(s.Find("\\"), 6);
    EXPECT_EQ(s.FindOneOf("\\/"), 6);
    EXPECT_EQ(CString("表").Find('\\'), -1);
    EXPECT_EQ(CString("ソ").Find("\\"), -1);
    CString r("表\\表");
    EXPECT_EQ(r.Replace("\\", "/"), 1);
    EXPECT_STREQ(r, "表/表");
    CString rm("ソ\\");
    EXPECT_EQ(rm.Remove('\\'), 1);
    EXPECT_STREQ(rm, "ソ");
}

TEST(String, CaseChangesLeaveDoubleByteCharactersAlone)
{
    // "ａ" (82 81) and "Ａ" (82 60): second bytes in the ASCII letter range.
    CString s("aＡｂB");
    s.MakeUpper();
    EXPECT_STREQ(s, "AＡｂB");
    s.MakeLower();
    EXPECT_STREQ(s, "aＡｂb");
    EXPECT_EQ(CString("ABCｘ").CompareNoCase("abcｘ"), 0);
    EXPECT_NE(CString("Ａ").CompareNoCase("Ａa"), 0);
}

TEST(String, TrimAndTokenizeWorkOnWholeCharacters)
{
    CString t("  表\\  ");
    t.Trim();
    EXPECT_STREQ(t, "表\\");
    CString u("ソ\\");
    u.TrimRight('\\');
    EXPECT_STREQ(u, "ソ");
    CString v("表");
    v.TrimRight("\\");
    EXPECT_STREQ(v, "表");

    CString list("a,表,,ソ\\b");
    int pos = 0;
    CString tokens;
    for (CString tok = list.Tokenize(",\\", pos); pos >= 0; tok = list.Tokenize(",\\", pos))
        tokens += "[" + tok + "]";
    EXPECT_STREQ(tokens, "[a][表][ソ][b]");
}

TEST(String, SlicingFormattingAndBuffers)
{
    CString s("abcdef");
    EXPECT_STREQ(s.Mid(2, 2), "cd");
    EXPECT_STREQ(s.Mid(4), "ef");
    EXPECT_STREQ(s.Mid(10), "");
    EXPECT_STREQ(s.Left(99), "abcdef");
    EXPECT_STREQ(s.Right(2), "ef");
    EXPECT_STREQ(s.SpanExcluding("d"), "abc");
    CString f;
    f.Format("[%s][%d][%05.1f]", "表", -3, 2.5);
    EXPECT_STREQ(f, "[表][-3][002.5]");
    f.AppendFormat("%s", "x");
    EXPECT_STREQ(f, "[表][-3][002.5]x");
    char* p = f.GetBuffer(100);
    lstrcpyA(p, "short");
    f.ReleaseBuffer();
    EXPECT_EQ(f.GetLength(), 5);
    CString w(L"日本");
    EXPECT_STREQ(w, "日本");
    EXPECT_EQ(w.ToWide(), std::wstring(L"日本"));
}

TEST(Time, FieldsAndFormatUseTheWindowsTimeZone)
{
    // The tests run with the Tokyo zone: UTC+9, no daylight time.
    CTime t(2024, 2, 29, 23, 30, 15);
    EXPECT_EQ(t.GetTime(), 1709217015);
    EXPECT_EQ(t.GetDayOfWeek(), 5);  // Thursday
    EXPECT_STREQ(t.Format("%Y/%m/%d %H:%M:%S %a %b %j"), "2024/02/29 23:30:15 Thu Feb 060");
    EXPECT_STREQ(t.FormatGmt("%H:%M"), "14:30");
    CTime next = t + CTimeSpan(0, 1, 0, 0);
    EXPECT_EQ(next.GetDay(), 1);
    EXPECT_EQ(next.GetMonth(), 3);
    EXPECT_EQ((next - t).GetTotalMinutes(), 60);
    EXPECT_EQ(CTime(2024, 13, 1, 0, 0, 0).GetYear(), 2025);
}

TEST(Archive, StringsCarryTheirLengthPrefix)
{
    CMemFile mem;
    {
        CArchive ar(&mem, CArchive::store);
        ar << CString("abc") << CString(std::string(300, 'x')) << 7;
    }
    mem.SeekToBegin();
    BYTE first = 0;
    mem.Read(&first, 1);
    EXPECT_EQ(first, 3);
    mem.SeekToBegin();
    CArchive in(&mem, CArchive::load);
    CString a, b;
    int n = 0;
    in >> a >> b >> n;
    EXPECT_STREQ(a, "abc");
    EXPECT_EQ(b.GetLength(), 300);
    EXPECT_EQ(n, 7);
    CString c;
    EXPECT_THROW(in >> c, CArchiveException);

    // A length that claims more than the data holds is refused.
    const BYTE bogus[] = {0xFF, 0xFE, 0xFF, 'a'};
    CMemFile small(bogus, sizeof(bogus));
    CArchive bad(&small, CArchive::load);
    EXPECT_THROW(bad >> c, CArchiveException);
}

TEST(File, ErrorsCarryCauseAndPath)
{
    TestSupport::TempDir dir;
    CFile f;
    CFileException e;
    EXPECT_FALSE(f.Open(dir.File("missing\\x.txt"), CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::badPath);
    EXPECT_STREQ(e.m_strFileName, dir.File("missing\\x.txt"));
    EXPECT_THROW(CFile::Remove(dir.File("none.txt")), CFileException);

    CStdioFile text;
    ASSERT_TRUE(text.Open(dir.File("t.txt"), CFile::modeCreate | CFile::modeWrite | CFile::typeText));
    text.WriteString("one\ntwo\n");
    text.Close();
    EXPECT_EQ(TestSupport::ReadFileBytes(dir.File("t.txt")), "one\r\ntwo\r\n");
    ASSERT_TRUE(text.Open(dir.File("t.txt"), CFile::modeRead | CFile::typeText));
    CString line;
    ASSERT_TRUE(text.ReadString(line));
    EXPECT_STREQ(line, "one");
    ASSERT_TRUE(text.ReadString(line));
    EXPECT_STREQ(line, "two");
    EXPECT_FALSE(text.ReadString(line));
}
