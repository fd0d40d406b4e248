#include "frame/XmlCodePage.h"

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <algorithm>
#include <cwchar>
#include <memory>
#include <new>

namespace XmlCodePage {
namespace {

bool IsUnwritable(unsigned char byte) { return byte == '<' || byte == '>' || byte == '"'; }

// What a converted text must not hold: those three, and control characters
// other than the tab (a best-fit conversion may produce them). One bit test.
constexpr unsigned long long kUnwritableMask =
    ((1ull << 0x20) - 1 - (1ull << '\t')) | (1ull << '<') | (1ull << '>') | (1ull << '"');
inline bool IsUnwritableAscii(unsigned c) { return c < 64 && ((kUnwritableMask >> c) & 1) != 0; }

// The code page form of a full-width character, or a blank where the code
// page has none (a best-fit mapping would give back the very character).
struct FullWidthForm {
  char bytes[4] = " ";
  int length = 1;

  explicit FullWidthForm(wchar_t character) {
    BOOL defaulted = FALSE;
    char converted[8];
    int got = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &character, 1, converted, sizeof converted, nullptr,
                                  &defaulted);
    if (got < 2 || got > 3 || defaulted) return;
    for (int i = 0; i < got; ++i)
      if (static_cast<unsigned char>(converted[i]) < 0x80) return;
    std::memcpy(bytes, converted, got);
    length = got;
  }
};

const FullWidthForm& FullWidth(unsigned char byte) {
  static const FullWidthForm less(L'\xFF1C'), greater(L'\xFF1E'), quote(L'\xFF02'), question(L'\xFF1F'),
      ampersand(L'\xFF06');
  switch (byte) {
    case '<': return less;
    case '>': return greater;
    case '?': return question;
    case '&': return ampersand;
    default: return quote;
  }
}

bool CompletesLeadByte(const char* pair) {
  wchar_t unit[2];
  return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, pair, 2, unit, 2) == 1;
}

}  // namespace

// The ASCII part is copied here; from the first other character on, the
// system converts the rest.
int FromUtf16(const wchar_t* text, size_t length, char* out, size_t capacity, bool* unwritable) {
  size_t room = capacity - 1;
  bool found = false;
  size_t at = 0;
  for (; at < length && text[at] < 0x80; ++at) {
    if (at == room) return -1;
    found |= IsUnwritableAscii(text[at]);
    out[at] = static_cast<char>(text[at]);
  }
  if (at < length) {
    // No room at all would make the system report the size it needs instead.
    if (at == room) return -1;
    int rest = WideCharToMultiByte(CP_ACP, 0, text + at, static_cast<int>(length - at), out + at,
                                   static_cast<int>(room - at), nullptr, nullptr);
    if (rest <= 0) return -1;
    for (int i = 0; i < rest && !found; ++i) found = IsUnwritableAscii(static_cast<unsigned char>(out[at + i]));
    at += rest;
  }
  if (unwritable != nullptr) *unwritable = found;
  return static_cast<int>(at);
}

int NameFromUtf16(const wchar_t* text, size_t length, char* out, size_t capacity) {
  size_t room = capacity - 1;
  size_t at = 0;
  for (; at < length && text[at] < 0x80; ++at) {
    if (at == room) return -1;
    out[at] = static_cast<char>(text[at]);
  }
  if (at == length) return static_cast<int>(at);
  if (at == room) return -1;
  // Neither a stand-in character nor a look-alike: either would make the name
  // unreadable once written.
  UINT codePage = GetACP();
  bool reportsDefault = codePage != CP_UTF8 && codePage != CP_UTF7;
  BOOL defaulted = FALSE;
  int rest = WideCharToMultiByte(CP_ACP, reportsDefault ? WC_NO_BEST_FIT_CHARS : 0, text + at,
                                 static_cast<int>(length - at), out + at, static_cast<int>(room - at), nullptr,
                                 reportsDefault ? &defaulted : nullptr);
  if (rest <= 0 || defaulted) return -1;
  return static_cast<int>(at) + rest;
}

int FromUtf16(const wchar_t* text, char* out, size_t capacity, bool* unwritable) {
  // Four units at a time where they lie on an 8-byte boundary (a load that
  // never reaches into another page), one at a time elsewhere.
  const uint64_t ones = 0x0001000100010001ull, highs = 0x8000800080008000ull;
  auto anyBelow = [&](uint64_t units, unsigned bound) { return ((units - ones * bound) & ~units & highs) != 0; };
  auto anyEqual = [&](uint64_t units, unsigned value) { return anyBelow(units ^ (ones * value), 1); };
  const size_t room = capacity - 1;
  bool found = false;
  size_t at = 0;
  for (;;) {
    if ((reinterpret_cast<uintptr_t>(text + at) & 7) == 0 && at + 4 <= room) {
      uint64_t units;
      std::memcpy(&units, text + at, sizeof units);
      if ((units & 0xFF80FF80FF80FF80ull) == 0 && !anyBelow(units, 1)) {
        found |= anyBelow(units, 0x20) || anyEqual(units, '"') || anyEqual(units, '<') || anyEqual(units, '>');
        for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>(units >> (16 * i));
        at += 4;
        continue;
      }
    }
    // Zero and non-ASCII both end the run: one unsigned comparison.
    const unsigned c = text[at];
    if (c - 1u >= 0x7Fu) break;
    if (at == room) return -1;
    found |= IsUnwritableAscii(c);
    out[at++] = static_cast<char>(c);
  }
  if (text[at] == 0) {
    if (unwritable != nullptr) *unwritable = found;
    return static_cast<int>(at);
  }
  bool restUnwritable = false;
  int rest = FromUtf16(text + at, std::wcslen(text + at), out + at, capacity - at, &restUnwritable);
  if (rest < 0) return -1;
  if (unwritable != nullptr) *unwritable = found || restUnwritable;
  return static_cast<int>(at) + rest;
}

const char* FindByte(const char* text, size_t length, char byte) {
  const uint64_t ones = 0x0101010101010101ull, highs = 0x8080808080808080ull;
  const uint64_t pattern = ones * static_cast<unsigned char>(byte);
  size_t at = 0;
  for (; at + 8 <= length; at += 8) {
    uint64_t word;
    std::memcpy(&word, text + at, sizeof word);
    word ^= pattern;
    if (((word - ones) & ~word & highs) != 0) break;
  }
  for (; at < length; ++at)
    if (text[at] == byte) return text + at;
  return nullptr;
}

namespace {

// What the system's conversion gives for each character of a code page of
// one or two bytes a character, looked up instead of asked for: each entry
// was asked for once. Zero marks what the table does not know (invalid
// sequences), which is then left to the system.
class DecodingTable {
 public:
  static const DecodingTable* ForSystemCodePage() {
    static const DecodingTable* table = Build();
    return table;
  }

  // Decodes text[at] (and the byte after it, for a lead byte): the UTF-16
  // unit and the number of bytes used, or 0 when the table does not know.
  size_t Decode(const unsigned char* text, size_t at, size_t length, wchar_t& unit) const {
    unsigned char byte = text[at];
    if (!lead_[byte]) {
      unit = single_[byte];
      return unit != 0 ? 1 : 0;
    }
    if (at + 1 == length) return 0;
    unit = pairs_[leadRow_[byte] * 256 + text[at + 1]];
    return unit != 0 ? 2 : 0;
  }

 private:
  static const DecodingTable* Build() {
    CPINFO info{};
    if (!GetCPInfo(CP_ACP, &info) || info.MaxCharSize > 2) return nullptr;
    auto* table = new (std::nothrow) DecodingTable();
    if (table == nullptr) return nullptr;
    size_t leads = 0;
    for (int range = 0; range + 1 < MAX_LEADBYTES && info.LeadByte[range] != 0; range += 2) {
      for (unsigned byte = info.LeadByte[range]; byte <= info.LeadByte[range + 1]; ++byte) {
        table->lead_[byte] = true;
        table->leadRow_[byte] = static_cast<unsigned char>(leads++);
      }
    }
    table->pairs_.reset(new (std::nothrow) wchar_t[leads * 256]());
    if (leads > 0 && !table->pairs_) {
      delete table;
      return nullptr;
    }
    for (unsigned byte = 0; byte < 256; ++byte) {
      char bytes[2] = {static_cast<char>(byte), 0};
      if (!table->lead_[byte]) {
        table->single_[byte] = Ask(bytes, 1);
        continue;
      }
      for (unsigned trail = 0; trail < 256; ++trail) {
        bytes[1] = static_cast<char>(trail);
        table->pairs_[table->leadRow_[byte] * 256 + trail] = Ask(bytes, 2);
      }
    }
    return table;
  }

  static wchar_t Ask(const char* bytes, int length) {
    wchar_t units[2];
    return MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, length, units, 2) == 1 ? units[0] : 0;
  }

  bool lead_[256] = {};
  unsigned char leadRow_[256] = {};
  wchar_t single_[256] = {};
  std::unique_ptr<wchar_t[]> pairs_;
};

}  // namespace

// Where the run of ASCII bytes from `at` ends, eight bytes at a time.
static size_t AsciiRunEnd(const unsigned char* bytes, size_t at, size_t length) {
  for (; at + 8 <= length; at += 8) {
    uint64_t word;
    std::memcpy(&word, bytes + at, sizeof word);
    if ((word & 0x8080808080808080ull) != 0) break;
  }
  while (at < length && bytes[at] < 0x80) ++at;
  return at;
}

size_t ToUtf16ReadingAmpersands(const char* text, size_t length, wchar_t* out) {
  const DecodingTable* table = DecodingTable::ForSystemCodePage();
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t at = 0, written = 0;
  while (at < length) {
    // A run of ASCII, the usual case: widened by a loop the compiler turns
    // into vector instructions.
    const size_t runEnd = AsciiRunEnd(bytes, at, length);
    wchar_t* to = out + written;
    for (size_t i = 0, run = runEnd - at; i < run; ++i) to[i] = bytes[at + i];
    written += runEnd - at;
    at = runEnd;
    if (at == length) break;
    wchar_t unit = 0;
    size_t used = table != nullptr ? table->Decode(bytes, at, length, unit) : 0;
    if (used > 0) {
      out[written++] = unit;
      at += used;
      continue;
    }
    // What the table does not know, the system converts: the rest of the
    // text when there is no table, else this one character.
    size_t span = table == nullptr ? length - at : std::min<size_t>(IsDBCSLeadByte(bytes[at]) ? 2 : 1, length - at);
    int got = MultiByteToWideChar(CP_ACP, 0, text + at, static_cast<int>(span), out + written,
                                  static_cast<int>(span));
    written += got > 0 ? got : 0;
    at += span;
  }
  if (FindByte(text, length, '&') != nullptr) {
    for (size_t i = 0; i < written; ++i)
      if (out[i] == L'&') out[i] = L'?';
  }
  return written;
}

size_t StorableFromConverted(const char* text, size_t length, char* out) {
  size_t written = 0;
  for (size_t i = 0; i < length; ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (!IsUnwritableAscii(byte)) {
      out[written++] = text[i];
      continue;
    }
    if (byte < 0x20) {
      out[written++] = ' ';
      continue;
    }
    const FullWidthForm& form = FullWidth(byte);
    std::memcpy(out + written, form.bytes, form.length);
    written += form.length;
  }
  return written;
}

namespace {

// Rebuilds `text` with what MakeStorable replaces replaced.
void ReplaceUnstorable(std::string& text, StoredAs kind, unsigned char changed) {
  std::string storable;
  storable.reserve(text.size() + 8);
  for (size_t i = 0; i < text.size(); ++i) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80 && IsDBCSLeadByte(byte)) {
      if (i + 1 < text.size() && CompletesLeadByte(&text[i])) {
        storable.append(text, i, 2);
        ++i;
      } else {
        storable += ' ';
      }
    } else if (IsUnwritable(byte) || (changed != 0 && byte == changed)) {
      const FullWidthForm& form = FullWidth(byte);
      storable.append(form.bytes, form.length);
    } else {
      // Expat reads a tab of an attribute value as a blank.
      storable += byte < 0x20 && (byte != '\t' || kind == StoredAs::AttributeValue) ? ' ' : text[i];
    }
  }
  text.swap(storable);
}

}  // namespace

void MakeStorable(std::string& text, StoredAs kind) {
  // A "?" of a text is saved as "&" and would read back as "&": it takes its
  // full-width form. An "&" of an attribute value stays: the file must hold
  // the real character (paths and file names are kept in attributes), and
  // its owners read the "?" that stands for it back as "&".
  const unsigned char changed = kind == StoredAs::Text ? '?' : 0;
  bool clean = true;
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte >= 0x80 || IsUnwritable(byte) || (changed != 0 && byte == changed)) {
      clean = false;
      break;
    }
  }
  if (!clean) ReplaceUnstorable(text, kind, changed);
  // The reader skips the blanks a text begins with.
  if (kind == StoredAs::Text) text.erase(0, text.find_first_not_of(" \t"));
}

}  // namespace XmlCodePage
