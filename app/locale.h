// PROVISIONAL: the user's locale settings the program takes at start-up.
#ifndef TRACKSIFT_APP_LOCALE_H_
#define TRACKSIFT_APP_LOCALE_H_

namespace tracksift {

struct LocaleSettings {
  char decimal_mark = '.';        // the locale's decimal separator
  bool cp932_lead_bytes = false;  // the character set is Shift-JIS / cp932
  bool utf8 = false;              // the character set is UTF-8
};

// Adopts the locale of the environment and reads what the program needs.
LocaleSettings AdoptUserLocale();

}  // namespace tracksift

#endif  // TRACKSIFT_APP_LOCALE_H_
