// The configuration file reader and its edits: any file content reads
// without harm, and an edit of a session changes exactly the lines it names:
// every other line of the file is in the new content, in its place.
#include <string>
#include <vector>

#include "CConfigFile.h"
#include "HostileInput.h"
#include "TempFolder.h"

namespace {

// Exposes the conversion the reading classes use on binary lines.
class ConvertingConfigFile : public CConfigFile {
 public:
  using CConfigFile::AtoW;
  using CConfigFile::CConfigFile;
};

using Lines = std::vector<std::wstring>;

const std::vector<std::string> kLines = {
    "[ver]", "[drivers]", "[证书]", "[", "[]", "; comment", "client = 2.0.1", "ht=1.0", "HT,vid_5448&pid_0003,a#b",
    "名称 = 岚川 CA", "=", "a=", "=b", "  spaced name  =  spaced value ", "", "", "\t", "[ver] ", "[VER]",
};

std::string FileContent(hostile::Input& input) {
  std::string content;
  size_t lines = input.Length(60);
  for (size_t i = 0; i < lines; ++i) {
    content += input.Chance(15) ? input.CodePageText(80) : input.Pick(kLines);
    content += input.Chance(70) ? "\r\n" : input.Chance(50) ? "\n" : "\r";
  }
  return input.Chance(10) ? input.Mutate(content, {"\r\n", "\n", "[", "]", "=", std::string(1, '\0'), "\xFF"})
                          : content;
}

Lines ReadAll(CConfigFile& file) {
  Lines lines;
  file.SeekToBegin();
  CString line;
  while (file.ReadString(line)) lines.emplace_back(line.GetString(), line.GetLength());
  return lines;
}

Lines ListOf(const CStringList& list) {
  Lines lines;
  for (POSITION at = list.GetHeadPosition(); at != nullptr;) {
    const CString& line = list.GetNext(at);
    lines.emplace_back(line.GetString(), line.GetLength());
  }
  return lines;
}

bool EndsSession(const std::wstring& line) { return line.empty() || line[0] == L'['; }

// What an edit of `session` with `values` in place of its lines from `keep`
// on must give: the file up to the header, the session with those lines
// replaced (the values beyond its end added as its last lines), then every
// later line; as the end of the file reads, an empty line closes it.
Lines Edited(const Lines& file, size_t header, size_t keep, const Lines& values) {
  size_t end = header + 1;
  while (end < file.size() && !EndsSession(file[end])) ++end;
  Lines out(file.begin(), file.begin() + header + 1);
  const size_t sessionLines = end - header - 1;
  const size_t kept = keep < sessionLines ? keep : sessionLines;
  out.insert(out.end(), file.begin() + header + 1, file.begin() + header + 1 + kept);
  out.insert(out.end(), values.begin(), values.end());
  const size_t replaced = kept + values.size() < sessionLines ? kept + values.size() : sessionLines;
  out.insert(out.end(), file.begin() + header + 1 + replaced, file.end());
  if (!file.back().empty()) out.emplace_back();
  return out;
}

}  // namespace

HOSTILE_TARGET(config_file) {
  static TempFolder folder;
  const std::string path = folder.File("ver.ini");
  const std::string content = FileContent(input);
  input.Record(content);
  HOSTILE_CHECK(WriteFileBytes(path, content), "the file is written");
  std::wstring widePath(path.begin(), path.end());

  ConvertingConfigFile file(widePath.c_str(), CStdioFile::modeRead | CStdioFile::typeText);
  HOSTILE_CHECK(file.IsOpen(), "the file opens");
  const Lines lines = ReadAll(file);
  CString name, value;
  file.SeekToBegin();
  for (size_t i = 0; i <= lines.size(); ++i) file.ReadNameAndValue(name, value);

  // A session of the file, or one it does not have.
  const std::wstring session =
      !lines.empty() && input.Chance(80) ? lines[input.Below(lines.size())] : L"[missing]";
  const CString sessionText(session.data(), static_cast<int>(session.size()));
  size_t header = 0;
  while (header < lines.size() && lines[header] != session) ++header;
  const bool found = header < lines.size() && !session.empty();

  CStringList listed;
  DWORD code = file.EnumValueInSession(sessionText, listed);
  HOSTILE_CHECK(session.empty() ? code == 0xE0010007 : code == (found ? 0xE0010009u : 0xE0010008u),
                "EnumValueInSession tells whether the session is there");

  const size_t keep = input.Below(6);
  const Lines single{input.Chance(30) ? std::wstring() : L"new=1"};
  CStringList out;
  code = file.ChangeValueInSession(sessionText, single[0].c_str(), static_cast<int>(keep), out);
  if (session.empty()) {
    HOSTILE_CHECK(code == 0xE0010007 && out.IsEmpty(), "an empty session name changes nothing");
  } else if (!found) {
    HOSTILE_CHECK(code == 0xE0010008 && ListOf(out) == lines, "without the session the file is copied whole");
  } else {
    HOSTILE_CHECK(code == 0 && ListOf(out) == Edited(lines, header, keep, single),
                  "an edit changes the one line it names and keeps every other");
  }

  Lines values;
  CStringList newLines, listOut;
  for (size_t i = input.Below(5); i > 0; --i) {
    values.push_back(input.Chance(30) ? std::wstring() : L"v" + std::to_wstring(i));
    newLines.AddTail(values.back().c_str());
  }
  code = file.ChangeValueInSession(sessionText, newLines, listOut);
  if (found) {
    HOSTILE_CHECK(code == 0 && ListOf(listOut) == Edited(lines, header, 0, values),
                  "an edit with a list changes the lines it names and keeps every other");
  }
  CString byName;
  file.GetStringByName(byName, L"ht");
  file.Close();

  // The same bytes read in binary mode and turned back into text.
  ConvertingConfigFile binary(widePath.c_str(), CStdioFile::modeRead | CStdioFile::typeBinary);
  CString line;
  while (binary.ReadString(line)) binary.AtoW(line);
}
