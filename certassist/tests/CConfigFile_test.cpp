#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "CConfigFile.h"
#include "TempFolder.h"
#include "TestText.h"

namespace {

std::vector<std::wstring> Lines(const CStringList& list) {
  std::vector<std::wstring> lines;
  for (POSITION at = list.GetHeadPosition(); at != nullptr;) lines.push_back(list.GetNext(at).GetString());
  return lines;
}

// Exposes the conversion the reading classes use on binary lines.
class ConvertingConfigFile : public CConfigFile {
 public:
  using CConfigFile::CConfigFile;
  using CConfigFile::AtoW;
};

class ConfigFileTest : public ::testing::Test {
 protected:
  // Writes content (bytes as given) and opens it as the assistant does.
  CConfigFile& Load(const std::string& content, UINT flags = CStdioFile::modeRead | CStdioFile::typeText) {
    std::string path = folder_.File("ver.ini");
    EXPECT_TRUE(WriteFileBytes(path, content));
    EXPECT_TRUE(file_.Open(Wide(path).c_str(), flags));
    return file_;
  }

  TempFolder folder_;
  ConvertingConfigFile file_;
};

const char kSessions[] =
    "; settings\r\n"
    "[ver]\r\n"
    "client = 2.0.1\r\n"
    "ht=1.0\r\n"
    "\r\n"
    "[drivers]\r\n"
    "HT,vid_5448&pid_0003,a#b\r\n"
    "FT,vid_096e&pid_0702,c\r\n"
    "[empty]\r\n"
    "[last]";

TEST_F(ConfigFileTest, EnumValueInSessionListsTheSessionLines) {
  CConfigFile& file = Load(kSessions);
  CStringList lines;
  lines.AddTail(L"kept");
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[ver]", lines));
  EXPECT_EQ((std::vector<std::wstring>{L"kept", L"client = 2.0.1", L"ht=1.0"}), Lines(lines));
  lines.RemoveAll();
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[drivers]", lines));
  EXPECT_EQ(2, lines.GetCount());
  lines.RemoveAll();
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[empty]", lines));
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[last]", lines));
  EXPECT_EQ(0, lines.GetCount());
}

TEST_F(ConfigFileTest, EnumValueInSessionComparesHeadersExactly) {
  CConfigFile& file = Load(kSessions);
  CStringList lines;
  EXPECT_EQ(0xE0010007, file.EnumValueInSession(L"", lines));
  EXPECT_EQ(0xE0010008, file.EnumValueInSession(L"[VER]", lines));
  EXPECT_EQ(0xE0010008, file.EnumValueInSession(L"[ver] ", lines));
  EXPECT_EQ(0xE0010008, file.EnumValueInSession(L"ver", lines));
  EXPECT_EQ(0, lines.GetCount());
}

TEST_F(ConfigFileTest, ReadsChineseTextInTheSystemCodePage) {
  CConfigFile& file = Load(CodePage936(L"[证书]\r\n名称 = 岚川 CA\r\n"));
  CStringList lines;
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[证书]", lines));
  EXPECT_EQ((std::vector<std::wstring>{L"名称 = 岚川 CA"}), Lines(lines));
  CString value;
  EXPECT_EQ(0u, file.GetStringByName(value, L"名称"));
  EXPECT_EQ(CString(L"岚川CA"), value);
}

TEST_F(ConfigFileTest, ReadNameAndValueDropsEveryBlank) {
  CConfigFile& file = Load("  key name =  a b = c \nno equals sign\n");
  CString name(L"old name"), value(L"old value");
  EXPECT_EQ(1, file.ReadNameAndValue(name, value));
  EXPECT_EQ(CString(L"keyname"), name);
  EXPECT_EQ(CString(L"ab=c"), value);
  name = L"old name";
  value = L"old value";
  EXPECT_EQ(0, file.ReadNameAndValue(name, value));
  EXPECT_EQ(0, file.ReadNameAndValue(name, value));
  EXPECT_EQ(CString(L"old name"), name);
  EXPECT_EQ(CString(L"old value"), value);
}

TEST_F(ConfigFileTest, GetStringByNameSearchesTheWholeFile) {
  CConfigFile& file = Load("[a]\nfirst=1\n\n[b]\nsecond = two words\nblank=\n");
  CString value(L"stale");
  EXPECT_EQ(0xE0010004, file.GetStringByName(value, L""));
  EXPECT_EQ(CString(L"stale"), value);
  EXPECT_EQ(0u, file.GetStringByName(value, L"second"));
  EXPECT_EQ(CString(L"twowords"), value);
  EXPECT_EQ(0u, file.GetStringByName(value, L"first"));
  EXPECT_EQ(CString(L"1"), value);
  EXPECT_EQ(0xE0010005, file.GetStringByName(value, L"blank"));
  EXPECT_EQ(0xE0010005, file.GetStringByName(value, L"missing"));
  EXPECT_TRUE(value.IsEmpty());
}

TEST_F(ConfigFileTest, ChangeValueInSessionReplacesTheIndexedLine) {
  CConfigFile& file = Load("[ver]\na=1\nb=2\n\n[next]\nc=3\n");
  CStringList first, second;
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", L"a=9", 0, first));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=9", L"b=2", L"", L"[next]", L"c=3", L""}), Lines(first));
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", L"b=8", 1, second));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=1", L"b=8", L"", L"[next]", L"c=3", L""}), Lines(second));
}

// Blank lines, even two in a row, are part of the file: everything after them
// is copied to the real end.
TEST_F(ConfigFileTest, ChangeValueInSessionCopiesPastTwoEmptyLines) {
  CConfigFile& file = Load("top\n[ver]\na=1\n\n\n[kept]\nx=1\n");
  CStringList out;
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", L"a=2", 0, out));
  EXPECT_EQ((std::vector<std::wstring>{L"top", L"[ver]", L"a=2", L"", L"", L"[kept]", L"x=1", L""}), Lines(out));
  CStringList trailing;
  file_.Close();
  EXPECT_EQ(0u, Load("[ver]\na=1\n\n\n").ChangeValueInSession(L"[ver]", L"a=3", 0, trailing));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=3", L"", L""}), Lines(trailing));
}

// An empty new value is a value, not the end of the content.
TEST_F(ConfigFileTest, ChangeValueInSessionWithAnEmptyValueKeepsTheRest) {
  const char kFile[] = "; top\r\n[ver]\r\na=1\r\nb=2\r\nc=3\r\n\r\n[drivers]\r\nHT=x\r\nFT=y\r\n";
  const std::vector<std::wstring> expected{L"; top", L"[ver]", L"a=1", L"b=2", L"",   L"",
                                           L"[drivers]", L"HT=x", L"FT=y", L""};
  CStringList single;
  EXPECT_EQ(0u, Load(kFile).ChangeValueInSession(L"[ver]", L"", 2, single));
  EXPECT_EQ(expected, Lines(single));
  CStringList list, out;
  for (const wchar_t* line : {L"a=1", L"b=2", L""}) list.AddTail(line);
  EXPECT_EQ(0u, file_.ChangeValueInSession(L"[ver]", list, out));
  EXPECT_EQ(expected, Lines(out));

  file_.Close();
  CStringList shortFile;
  EXPECT_EQ(0u, Load("[a]\r\nx=1\r\n").ChangeValueInSession(L"[a]", L"", 0, shortFile));
  EXPECT_EQ((std::vector<std::wstring>{L"[a]", L"", L""}), Lines(shortFile));
}

TEST_F(ConfigFileTest, ChangeValueInSessionEndsAtTheEndOfTheFile) {
  CStringList endsWithText, endsEmpty;
  EXPECT_EQ(0u, Load("[ver]\na=1\nb=2").ChangeValueInSession(L"[ver]", L"a=0", 0, endsWithText));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=0", L"b=2", L""}), Lines(endsWithText));
  file_.Close();
  EXPECT_EQ(0u, Load("[ver]\na=1\n\n").ChangeValueInSession(L"[ver]", L"a=0", 0, endsEmpty));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=0", L""}), Lines(endsEmpty));
}

TEST_F(ConfigFileTest, ChangeValueInSessionWithoutTheHeaderCopiesTheFile) {
  CConfigFile& file = Load("[a]\nx=1\n\n\n[b]\ny=2");
  CStringList out;
  EXPECT_EQ(0xE0010008, file.ChangeValueInSession(L"[missing]", L"z=3", 0, out));
  EXPECT_EQ((std::vector<std::wstring>{L"[a]", L"x=1", L"", L"", L"[b]", L"y=2"}), Lines(out));
  CStringList untouched;
  EXPECT_EQ(0xE0010007, file.ChangeValueInSession(L"", L"z=3", 0, untouched));
  EXPECT_EQ(0, untouched.GetCount());
}

TEST_F(ConfigFileTest, ChangeValueInSessionNeverOverwritesTheNextSession) {
  CConfigFile& file = Load("[ver]\na=1\n[next]\nb=2\n");
  CStringList out;
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", L"c=3", 4, out));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=1", L"c=3", L"[next]", L"b=2", L""}), Lines(out));
  CStringList atEnd;
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[next]", L"d=4", 2, atEnd));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=1", L"[next]", L"b=2", L"d=4", L""}), Lines(atEnd));
}

TEST_F(ConfigFileTest, ChangeValueInSessionWithAListReplacesLinesInOrder) {
  CConfigFile& file = Load("[ver]\na=1\nb=2\nc=3\n\n[x]\n");
  CStringList newLines, out;
  newLines.AddTail(L"a=7");
  newLines.AddTail(L"b=8");
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", newLines, out));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"a=7", L"b=8", L"c=3", L"", L"[x]", L""}), Lines(out));
  CStringList many, longer;
  for (const wchar_t* line : {L"1", L"2", L"3", L"4", L"5"}) many.AddTail(line);
  EXPECT_EQ(0u, file.ChangeValueInSession(L"[ver]", many, longer));
  EXPECT_EQ((std::vector<std::wstring>{L"[ver]", L"1", L"2", L"3", L"4", L"5", L"", L"[x]", L""}),
            Lines(longer));
}

TEST_F(ConfigFileTest, SurvivesLongLinesBinaryBytesAndEmptyFiles) {
  std::string longLine(100000, 'v');
  CConfigFile& file = Load("[s]\nname=" + longLine + "\n" + std::string("\x01\xff\x80\x00\x7f=\xfe", 7) + "\nlast");
  CStringList lines;
  EXPECT_EQ(0xE0010009, file.EnumValueInSession(L"[s]", lines));
  ASSERT_EQ(3, lines.GetCount());
  EXPECT_EQ(100005, lines.GetHead().GetLength());
  EXPECT_EQ(CString(L"last"), lines.GetTail());
  CString value;
  EXPECT_EQ(0u, file.GetStringByName(value, L"name"));
  EXPECT_EQ(100000, value.GetLength());
  file_.Close();

  CConfigFile& empty = Load("");
  CString line(L"x");
  EXPECT_FALSE(empty.ReadString(line));
  EXPECT_TRUE(line.IsEmpty());
  CStringList out;
  EXPECT_EQ(0xE0010008, empty.EnumValueInSession(L"[s]", out));
  EXPECT_EQ(0xE0010008, empty.ChangeValueInSession(L"[s]", L"a", 0, out));
  EXPECT_EQ(0, out.GetCount());
}

TEST_F(ConfigFileTest, ReadsLinesFromAStreamItDoesNotOwn) {
  std::string path = folder_.File("stream.ini");
  ASSERT_TRUE(WriteFileBytes(path, "[s]\r\na=1\r\n"));
  FILE* stream = _wfopen(Wide(path).c_str(), L"rt");
  ASSERT_NE(nullptr, stream);
  {
    CConfigFile wrapped(stream);
    CStringList lines;
    EXPECT_EQ(0xE0010009, wrapped.EnumValueInSession(L"[s]", lines));
    EXPECT_EQ((std::vector<std::wstring>{L"a=1"}), Lines(lines));
  }
  EXPECT_EQ(0, fclose(stream));
}

TEST_F(ConfigFileTest, AtoWTurnsABinaryLineBackIntoText) {
  ConvertingConfigFile& file = file_;
  Load(CodePage936(L"版本=1.0"), CStdioFile::modeRead | CStdioFile::typeBinary);
  CString line;
  ASSERT_TRUE(file.ReadString(line));
  EXPECT_EQ(0u, file.AtoW(line));
  EXPECT_EQ(CString(L"版本=1.0"), line);
  CString empty;
  EXPECT_EQ(0u, file.AtoW(empty));
  EXPECT_TRUE(empty.IsEmpty());
}

TEST_F(ConfigFileTest, OpenFailsForAMissingFileWithoutCreate) {
  CConfigFile missing(Wide(folder_.File("none.ini")).c_str(), CStdioFile::modeRead);
  EXPECT_FALSE(missing.IsOpen());
  CString line;
  EXPECT_FALSE(missing.ReadString(line));
  CStringList lines;
  EXPECT_EQ(0xE0010008, missing.EnumValueInSession(L"[s]", lines));
}

TEST_F(ConfigFileTest, WrittenLinesReadBack) {
  std::wstring path = Wide(folder_.File("out.ini"));
  {
    CStdioFile out(path.c_str(), CStdioFile::modeCreate | CStdioFile::modeWrite | CStdioFile::typeText);
    ASSERT_TRUE(out.IsOpen());
    EXPECT_TRUE(out.WriteString(L"[证书]\n名称=岚川\n"));
  }
  EXPECT_EQ(CodePage936(L"[证书]\r\n名称=岚川\r\n"), ReadFileBytes(folder_.File("out.ini")));
}

}  // namespace
