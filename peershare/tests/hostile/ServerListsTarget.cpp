// What the operator's server sends: keyword lists and settings files. Any
// text reads without harm; a list holds no empty keyword and no line end;
// a settings text written back reads back to the same values.
#include <string>
#include <vector>

#include "HostileInput.h"
#include "share/IniFile.h"
#include "share/KeywordLists.h"
#include "share/ServerSettings.h"

namespace {

const std::string kSettings =
    "[tovak]\r\nKeywordDownload=1\r\nFilterFriend=1\r\nFilterZhenCang=0\r\nadversion=3\r\nuploadrecord=1\r\n"
    "uploadurl=http://127.0.0.1/up\r\nTop10=127.0.0.1/top/topten.ini\r\nTop10Date=729400\r\nmailMaxCopy=50\r\n"
    "LiteFilterLibURL=127.0.0.1/l.txt\r\nLiteFilterHashId=0123\r\n[other]\r\nx=\"quoted\"\r\n";

const std::vector<std::string> kTokens = {"\r\n", "\n", "\r", "[", "]", "=", "[tovak]", "\"", ";", " ", "\t",
                                          std::string(1, '\0'), "色情", "\x81", std::string(1100, 'v')};

}  // namespace

HOSTILE_TARGET(keyword_lists) {
  const std::string content = input.Chance(30) ? input.CodePageText(5000) : input.Mutate("色情\r\n反动\r\n赌博\r\n", kTokens);
  input.Record(content);
  for (const std::string& keyword : KeywordLists::SplitLines(content)) {
    HOSTILE_CHECK(!keyword.empty(), "a list holds no empty keyword");
    HOSTILE_CHECK(keyword.find_first_of("\r\n") == std::string::npos, "a keyword holds no line end");
  }
}

HOSTILE_TARGET(settings_file) {
  const std::string text = input.Chance(20) ? input.CodePageText(3000) : input.Mutate(kSettings, kTokens);
  input.Record(text);
  const ServerSettings::Values values = ServerSettings::Parse(text);
  IniFile file(text);
  const std::string written = file.Text();
  const ServerSettings::Values again = ServerSettings::Parse(written);
  HOSTILE_CHECK(again.keywordDownload == values.keywordDownload && again.top10 == values.top10 &&
                    again.filterLibUrl == values.filterLibUrl && again.mailMaxCopy == values.mailMaxCopy &&
                    again.uploadUrl == values.uploadUrl,
                "a settings text written back reads back to the same values");
  HOSTILE_CHECK(IniFile(written).Text() == written, "a written settings text writes back the same");
}
