#include "app/locale.h"

#include <langinfo.h>
#include <locale.h>

#include <cstddef>

namespace tracksift {
namespace {

LocaleSettings g_adopted;

// Writes name into out in upper case without '-' and '_'; false when it does
// not fit (no character set name of interest is that long).
bool Normalize(const char* name, char (&out)[32]) {
  size_t n = 0;
  for (const char* p = name; *p != '\0'; ++p) {
    char c = *p;
    if (c == '-' || c == '_') continue;
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (n + 1 == sizeof out) return false;
    out[n++] = c;
  }
  out[n] = '\0';
  return true;
}

bool NormalizedIsOneOf(const char* codeset, const char* const* names) {
  if (codeset == nullptr) return false;
  char normal[32];
  if (!Normalize(codeset, normal)) return false;
  for (; *names != nullptr; ++names) {
    const char* a = normal;
    const char* b = *names;
    while (*a != '\0' && *a == *b) ++a, ++b;
    if (*a == *b) return true;
  }
  return false;
}

}  // namespace

char DecimalMarkFrom(const char* separator) {
  if (separator == nullptr || separator[0] == '\0' || separator[1] != '\0') return '.';
  return separator[0];
}

bool NamesShiftJis(const char* codeset) {
  // Every name here uses the lead bytes 0x81-0x9F and 0xE0-0xFC.
  static const char* const kNames[] = {
      "SHIFTJIS", "SJIS", "CP932", "WINDOWS31J", "MS932", "MSKANJI", "CSSHIFTJIS",
      "CSWINDOWS31J", "IBM943", "SHIFTJISX0213", nullptr};
  return NormalizedIsOneOf(codeset, kNames);
}

bool NamesUtf8(const char* codeset) {
  static const char* const kNames[] = {"UTF8", nullptr};
  return NormalizedIsOneOf(codeset, kNames);
}

LocaleSettings AdoptUserLocale() {
  LocaleSettings settings;
  // Each category on its own, so that a setting the system does not know
  // (say LC_CTYPE) does not cost the user the other (LC_NUMERIC).
  if (setlocale(LC_NUMERIC, "") != nullptr) {
    settings.decimal_mark = DecimalMarkFrom(localeconv()->decimal_point);
  }
  if (setlocale(LC_CTYPE, "") != nullptr) {
    const char* codeset = nl_langinfo(CODESET);
    settings.cp932_lead_bytes = NamesShiftJis(codeset);
    settings.utf8 = NamesUtf8(codeset);
  }
  // Everything needed is read; from here on the library behaves the same
  // for every user.
  setlocale(LC_ALL, "C");
  g_adopted = settings;
  return settings;
}

const LocaleSettings& AdoptedLocale() { return g_adopted; }

}  // namespace tracksift
