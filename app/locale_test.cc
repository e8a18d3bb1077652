#include "app/locale.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace tracksift {
namespace {

TEST(LocaleTest, DecimalMarkIsTheSeparatorOnlyWhenItIsOneByte) {
  EXPECT_EQ(DecimalMarkFrom(","), ',');
  EXPECT_EQ(DecimalMarkFrom("."), '.');
  EXPECT_EQ(DecimalMarkFrom("'"), '\'');
  EXPECT_EQ(DecimalMarkFrom(""), '.');
  EXPECT_EQ(DecimalMarkFrom("\xD9\xAB"), '.');  // U+066B ARABIC DECIMAL SEPARATOR
  EXPECT_EQ(DecimalMarkFrom(nullptr), '.');
}

TEST(LocaleTest, CharacterSetNames) {
  const struct {
    const char* name;
    bool shift_jis;
    bool utf8;
  } kCases[] = {
      {"SHIFT_JIS", true, false}, {"sjis", true, false},      {"CP932", true, false},
      {"WINDOWS-31J", true, false}, {"ms_kanji", true, false}, {"EUC-JP", false, false},
      {"UTF-8", false, true},     {"utf8", false, true},      {"UTF-16", false, false},
      {"ANSI_X3.4-1968", false, false}, {"", false, false},
      {"SHIFT_JIS_AND_A_NAME_FAR_TOO_LONG_TO_BE_ONE", false, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(NamesShiftJis(c.name), c.shift_jis) << c.name;
    EXPECT_EQ(NamesUtf8(c.name), c.utf8) << c.name;
  }
  EXPECT_FALSE(NamesShiftJis(nullptr));
}

// Runs AdoptUserLocale under a given environment and puts the process and
// its environment back as they were afterwards.
class AdoptLocaleTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kVariables) {
      const char* value = getenv(name);
      saved_.push_back(value ? std::optional<std::string>(value) : std::nullopt);
      unsetenv(name);
    }
  }

  void TearDown() override {
    for (size_t i = 0; i < saved_.size(); ++i) {
      if (saved_[i]) {
        setenv(kVariables[i], saved_[i]->c_str(), 1);
      } else {
        unsetenv(kVariables[i]);
      }
    }
    setlocale(LC_ALL, "C");
    if (!folder_.empty()) {
      const std::string command = "rm -rf '" + folder_ + "'";
      if (system(command.c_str()) != 0) {
        // A temporary folder left behind is no reason to fail.
      }
    }
  }

  // Builds the locale source/charmap into a temporary folder with localedef
  // and returns its name, or nothing when it cannot be built here.
  std::optional<std::string> BuildLocale(const std::string& source, const std::string& charmap,
                                         const std::string& name) {
    struct stat st;
    if (stat(("/usr/share/i18n/locales/" + source).c_str(), &st) != 0) return std::nullopt;
    if (folder_.empty()) {
      std::string pattern = std::string(getenv("TMPDIR") ? getenv("TMPDIR") : "/tmp") +
                            "/tracksift-locale-XXXXXX";
      if (mkdtemp(pattern.data()) == nullptr) return std::nullopt;
      folder_ = pattern;
    }
    // -c: a charmap that is not ASCII compatible (Shift-JIS) only warns.
    const std::string command = "localedef -c -i " + source + " -f " + charmap + " '" +
                                folder_ + "/" + name + "' >/dev/null 2>&1";
    if (system(command.c_str()) == -1) return std::nullopt;
    if (stat((folder_ + "/" + name + "/LC_NUMERIC").c_str(), &st) != 0) return std::nullopt;
    setenv("LOCPATH", folder_.c_str(), 1);
    return name;
  }

  static constexpr const char* kVariables[] = {"LC_ALL", "LC_NUMERIC", "LC_CTYPE", "LANG",
                                               "LOCPATH"};

 private:
  std::vector<std::optional<std::string>> saved_;
  std::string folder_;
};

void ExpectBackInTheCLocale() {
  EXPECT_STREQ(setlocale(LC_ALL, nullptr), "C");
  EXPECT_STREQ(localeconv()->decimal_point, ".");
}

TEST_F(AdoptLocaleTest, CommaDecimalSeparatorOfAUtf8Locale) {
  const auto name = BuildLocale("de_DE", "UTF-8", "de_DE.UTF-8");
  if (!name) GTEST_SKIP() << "localedef or the de_DE locale source is not available";
  setenv("LANG", name->c_str(), 1);
  const LocaleSettings settings = AdoptUserLocale();
  EXPECT_EQ(settings.decimal_mark, ',');
  EXPECT_TRUE(settings.utf8);
  EXPECT_FALSE(settings.cp932_lead_bytes);
  EXPECT_EQ(AdoptedLocale().decimal_mark, ',');
  EXPECT_TRUE(AdoptedLocale().utf8);
  ExpectBackInTheCLocale();
}

TEST_F(AdoptLocaleTest, ShiftJisLocaleHasLeadBytes) {
  const auto name = BuildLocale("ja_JP", "SHIFT_JIS", "ja_JP.SJIS");
  if (!name) GTEST_SKIP() << "localedef or the ja_JP locale source is not available";
  setenv("LC_ALL", name->c_str(), 1);
  const LocaleSettings settings = AdoptUserLocale();
  EXPECT_EQ(settings.decimal_mark, '.');
  EXPECT_TRUE(settings.cp932_lead_bytes);
  EXPECT_FALSE(settings.utf8);
  ExpectBackInTheCLocale();
}

TEST_F(AdoptLocaleTest, EachCategoryIsTakenOnItsOwn) {
  const auto name = BuildLocale("de_DE", "UTF-8", "de_DE.UTF-8");
  if (!name) GTEST_SKIP() << "localedef or the de_DE locale source is not available";
  // A character set setting the system does not know leaves the decimal
  // separator of the numbers setting in force.
  setenv("LC_NUMERIC", name->c_str(), 1);
  setenv("LC_CTYPE", "xx_XX.NO-SUCH-SET", 1);
  const LocaleSettings settings = AdoptUserLocale();
  EXPECT_EQ(settings.decimal_mark, ',');
  EXPECT_FALSE(settings.utf8);
  ExpectBackInTheCLocale();
}

TEST_F(AdoptLocaleTest, UnknownOrPlainLocaleGivesTheDefaults) {
  for (const char* value : {"xx_XX.NO-SUCH-SET", "C", "POSIX"}) {
    setenv("LC_ALL", value, 1);
    const LocaleSettings settings = AdoptUserLocale();
    EXPECT_EQ(settings.decimal_mark, '.') << value;
    EXPECT_FALSE(settings.utf8) << value;
    EXPECT_FALSE(settings.cp932_lead_bytes) << value;
    ExpectBackInTheCLocale();
  }
}

}  // namespace
}  // namespace tracksift
