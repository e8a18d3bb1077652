// The user's locale: the few settings the program takes from it at start-up.
//
// AdoptUserLocale() reads the environment's locale once: its decimal
// separator (one byte; the full stop when the setting is empty, longer than
// one byte or cannot be read) and its character set, which tells whether
// text holds Shift-JIS double-byte characters and whether a terminal shows
// UTF-8. It then puts the process back into the "C" locale, so that no
// library call can read numbers or text differently for the user's locale.
// The settings found stay available through AdoptedLocale().

#ifndef TRACKSIFT_APP_LOCALE_H_
#define TRACKSIFT_APP_LOCALE_H_

namespace tracksift {

struct LocaleSettings {
  char decimal_mark = '.';        // the locale's decimal separator
  bool cp932_lead_bytes = false;  // the character set is Shift-JIS / cp932
  bool utf8 = false;              // the character set is UTF-8
};

// Reads the locale of the environment (LC_ALL, LC_*, LANG) and returns what
// the program needs of it. Called once, before the run.
LocaleSettings AdoptUserLocale();

// What the last AdoptUserLocale() returned; the defaults before any call.
const LocaleSettings& AdoptedLocale();

// The decimal mark for a locale's decimal separator text: its byte when it is
// exactly one byte long, else the full stop.
char DecimalMarkFrom(const char* separator);

// What a character set name (as nl_langinfo(CODESET) gives it) is, matched
// without regard to letter case, '-' and '_'.
bool NamesShiftJis(const char* codeset);  // Shift-JIS, SJIS, CP932, ...
bool NamesUtf8(const char* codeset);      // UTF-8, utf8

}  // namespace tracksift

#endif  // TRACKSIFT_APP_LOCALE_H_
