// What reaches the search centre from the user and from peers: target
// numbers and keywords typed into the search bar, and search results with
// their texts, which also go into mail addresses. No input overflows a
// field, splits a character, wraps a number round, or slips a byte that
// ends a mail body past the escaping.
#include <cstdlib>
#include <string>
#include <vector>

#include "HostileInput.h"
#include "search/MailLinks.h"
#include "search/ResultRecord.h"
#include "search/SearchQuery.h"
#include "transfer/FieldText.h"

namespace {

const std::vector<std::string> kTokens = {"全部", "0", "9", "4294967295", "4294967296", "&cc=", "%0A", "\r\n", "\"",
                                          "?", "#", "%", "+", "=", " ", "\x81", "\xFF", "影片", "null\n",
                                          std::string(300, 'n')};

std::string Unescape(const std::string& text) {
  std::string plain;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      plain += text[i];
      continue;
    }
    HOSTILE_CHECK(i + 2 < text.size(), "an escape has two digits");
    plain += static_cast<char>(std::strtol(text.substr(i + 1, 2).c_str(), nullptr, 16));
    i += 2;
  }
  return plain;
}

// A cut keeps whole characters: cutting it again changes nothing.
bool WholeCharacters(const std::string& cut, size_t maxBytes) {
  return cut.size() <= maxBytes && FieldText::Cut(cut, maxBytes) == cut;
}

}  // namespace

HOSTILE_TARGET(search_bar) {
  const std::string text = input.Chance(40) ? input.CodePageText(200) : input.Mutate("12345", kTokens);
  input.Record(text);
  uint32_t number = 0;
  SearchQuery::Target target = SearchQuery::ParseTarget(text, number);
  if (target == SearchQuery::Target::Number) {
    HOSTILE_CHECK(text.find_first_not_of("0123456789") == std::string::npos, "a number is digits only");
    HOSTILE_CHECK(std::strtoull(text.c_str(), nullptr, 10) == number && number != 0, "the number is the text's");
  }
  if (target == SearchQuery::Target::Invalid)
    HOSTILE_CHECK(text.find_first_not_of("0123456789") != std::string::npos || text.size() >= 10,
                  "only non-digits or more than 32 bits are invalid");

  const std::string keyword = SearchQuery::CutKeyword(text);
  HOSTILE_CHECK(text.compare(0, keyword.size(), keyword) == 0, "a keyword is the start of the text");
  HOSTILE_CHECK(WholeCharacters(keyword, SearchQuery::kKeywordMax), "a keyword fits 64 bytes with whole characters");
  const std::string trimmed = SearchQuery::WithoutLeadingBlanks(keyword);
  HOSTILE_CHECK(trimmed.find_first_of(" \t\r\n\v\f") != 0, "no leading blank is left");
}

HOSTILE_TARGET(search_results) {
  std::string texts[4];
  for (std::string& text : texts) text = input.Chance(50) ? input.CodePageText(400) : input.Mutate("影片.avi", kTokens);
  input.Record(texts[0] + '\0' + texts[1] + '\0' + texts[2] + '\0' + texts[3]);
  const ResultRecord record = ResultRecord::FromHost(texts[3].c_str(), texts[0].c_str(), static_cast<uint32_t>(input.Next()),
                                                     static_cast<int32_t>(input.Next()), texts[1].c_str(),
                                                     static_cast<uint32_t>(input.Next()), texts[2].c_str(),
                                                     static_cast<int32_t>(input.Next()), 0, 0,
                                                     static_cast<int32_t>(input.Next()), 0, texts[3].c_str());
  HOSTILE_CHECK(WholeCharacters(record.fileName, ResultRecord::kNameMax), "names fit their field");
  HOSTILE_CHECK(WholeCharacters(record.comment, ResultRecord::kCommentMax), "comments fit their field");
  HOSTILE_CHECK(WholeCharacters(record.nickname, ResultRecord::kNicknameMax), "nicknames fit their field");
  HOSTILE_CHECK(record.hash.size() <= ResultRecord::kHashLength, "hashes fit their field");
  for (int column = 0; column < ResultRecord::kColumnCount; ++column) {
    record.CellText(column);
    HOSTILE_CHECK(ResultRecord::Compare(record, record, column) == 0, "a row equals itself");
  }

  const MailLinks links;
  const std::string report = links.Report(record.peerId, record.fileName);
  const std::string body = report.substr(report.find("&body=") + 6);
  HOSTILE_CHECK(body.find_first_of("&?#\"\r\n") == std::string::npos, "the body stays one body");
  const std::string escaped = MailLinks::EscapeNetworkText(record.fileName);
  HOSTILE_CHECK(Unescape(escaped) == record.fileName, "the mail program reads the name back");
  HOSTILE_CHECK(links.Recommendation(record.fileName, 1).find(escaped) != std::string::npos,
                "the recommendation holds the escaped name");
}
