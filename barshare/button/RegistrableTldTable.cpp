#include "button/RegistrableTldTable.h"

#include "button/CaseInsensitive.h"

namespace {

// Upper case, in ascending order: searched by halving.
const wchar_t kEntries[][RegistrableTldTable::kEntryChars] = {
    L"AC", L"AD", L"AE", L"AERO", L"AF", L"AG", L"AI", L"AL", L"AM", L"AN", L"AO", L"AQ", L"AR", L"ARPA",
    L"AS", L"ASIA", L"AT", L"AU", L"AW", L"AZ", L"BA", L"BB", L"BD", L"BE", L"BF", L"BG", L"BH", L"BI",
    L"BIZ", L"BJ", L"BM", L"BN", L"BO", L"BR", L"BS", L"BT", L"BV", L"BW", L"BY", L"BZ", L"CA", L"CC", L"CD",
    L"CF", L"CG", L"CH", L"CI", L"CK", L"CL", L"CM", L"CN", L"CO", L"COM", L"COOP", L"CR", L"CU", L"CV",
    L"CX", L"CY", L"CZ", L"DE", L"DJ", L"DK", L"DM", L"DO", L"DZ", L"EC", L"EDU", L"EE", L"EG", L"ER", L"ES",
    L"ET", L"FI", L"FJ", L"FK", L"FM", L"FO", L"FR", L"GA", L"GB", L"GD", L"GE", L"GF", L"GG", L"GH", L"GI",
    L"GL", L"GM", L"GN", L"GOV", L"GP", L"GQ", L"GR", L"GS", L"GT", L"GU", L"GW", L"GY", L"HK", L"HM", L"HN",
    L"HR", L"HT", L"HU", L"ID", L"IE", L"IL", L"IM", L"IN", L"INFO", L"INT", L"IO", L"IQ", L"IR", L"IS",
    L"IT", L"JE", L"JM", L"JO", L"JP", L"KE", L"KG", L"KH", L"KI", L"KM", L"KN", L"KR", L"KW", L"KY", L"KZ",
    L"LA", L"LB", L"LC", L"LI", L"LK", L"LR", L"LS", L"LT", L"LU", L"LV", L"LY", L"MA", L"MC", L"MD", L"MG",
    L"MH", L"MIL", L"MK", L"ML", L"MM", L"MN", L"MO", L"MOBI", L"MP", L"MQ", L"MR", L"MS", L"MT", L"MU",
    L"MUSEUM", L"MV", L"MW", L"MX", L"MY", L"MZ", L"NA", L"NAME", L"NC", L"NE", L"NET", L"NF", L"NG", L"NI",
    L"NL", L"NO", L"NP", L"NR", L"NU", L"NZ", L"OM", L"ORG", L"PA", L"PE", L"PF", L"PG", L"PH", L"PK", L"PL",
    L"PM", L"PN", L"PR", L"PRO", L"PS", L"PT", L"PW", L"PY", L"QA", L"RE", L"RO", L"RU", L"RW", L"SA", L"SB",
    L"SC", L"SD", L"SE", L"SG", L"SH", L"SI", L"SJ", L"SK", L"SL", L"SM", L"SN", L"SO", L"SR", L"ST", L"SU",
    L"SV", L"SY", L"SZ", L"TC", L"TD", L"TF", L"TG", L"TH", L"TJ", L"TK", L"TL", L"TM", L"TN", L"TO", L"TP",
    L"TR", L"TT", L"TV", L"TW", L"TZ", L"UA", L"UG", L"UK", L"UM", L"US", L"UY", L"UZ", L"VA", L"VC", L"VE",
    L"VG", L"VI", L"VN", L"VU", L"WF", L"WS", L"YE", L"YT", L"YU", L"ZA", L"ZM", L"ZW",
};

}  // namespace

size_t RegistrableTldTable::Size() { return sizeof kEntries / sizeof kEntries[0]; }

const wchar_t* RegistrableTldTable::Entry(size_t index) { return kEntries[index]; }

bool RegistrableTldTable::Contains(const wchar_t* name) {
  if (name == nullptr || *name == L'\0') return false;
  size_t low = 0, high = Size();
  while (low < high) {
    const size_t middle = low + (high - low) / 2;
    const int order = CaseInsensitive::Compare(name, kEntries[middle]);
    if (order == 0) return true;
    if (order < 0) {
      high = middle;
    } else {
      low = middle + 1;
    }
  }
  return false;
}
