// PROVISIONAL
#include "app/locale.h"

namespace tracksift {

LocaleSettings AdoptUserLocale() { return {}; }

}  // namespace tracksift
