#include "payload/locale_choice.h"

#include <gtest/gtest.h>

#include "test_log_capture.h"

namespace lnx {
namespace {

TEST(LocaleTable, TellingRows) {
  EXPECT_EQ("no_NO_NY", localeForLanguageId(2068));
  EXPECT_EQ("en", localeForLanguageId(9225));
  EXPECT_EQ("ko_KR", localeForLanguageId(2066));
  EXPECT_EQ("iw", localeForLanguageId(0x080D)) << "not in the table: its primary language 13";
  EXPECT_EQ("en", localeForLanguageId(0x0428)) << "primary language 40 is absent";
  EXPECT_EQ("es_ES", localeForLanguageId(0x0C0A));
  EXPECT_EQ("es_MX", localeForLanguageId(0x080A));
  EXPECT_EQ("sr_CS", localeForLanguageId(3098));
  EXPECT_EQ("in_ID", localeForLanguageId(1057));
  EXPECT_EQ("zh_CN", localeForLanguageId(2052));
  EXPECT_EQ("tt", localeForLanguageId(1092));
  EXPECT_EQ("gl", localeForLanguageId(0x0C56));
  EXPECT_EQ("en", localeForLanguageId(0));
}

TEST(LocaleChoice, FormatAsDefaultLastOptionWins) {
  const std::wstring on = L"-Dsun.locale.formatasdefault=true";
  const std::wstring off = L"-Dsun.locale.formatasdefault=TRUE";
  EXPECT_TRUE(formatAsDefaultRequested({L"p", on}));
  EXPECT_FALSE(formatAsDefaultRequested({L"p", on, off}));
  EXPECT_TRUE(formatAsDefaultRequested({L"p", off, on}));
  EXPECT_FALSE(formatAsDefaultRequested({L"p", L"-Dsun.locale.formatasdefault=true2"}));
}

TEST(LocaleChoice, DisplayLanguageUnlessFormatLocaleRequested) {
  test::LogCapture log;
  std::vector<std::wstring> args{L"p"};
  EXPECT_EQ("zh_CN", chooseLocaleFromIds(0x0407, 0x0804, &args));
  EXPECT_TRUE(log.contains(L"sun.locale.formatasdefault is false"));
  EXPECT_TRUE(log.contains(L"language/country is zh_CN"));

  args.push_back(L"-Dsun.locale.formatasdefault=true");
  EXPECT_EQ("de_DE", chooseLocaleFromIds(0x0407, 0x0804, &args));
  EXPECT_EQ("de_DE", chooseLocaleFromIds(0x0407, std::nullopt, nullptr));
  EXPECT_EQ("zh_CN", chooseLocaleFromIds(0x0407, 0x0804, nullptr));
}

TEST(LocaleChoice, LanguageAndCountryParts) {
  std::string language, country;
  setChosenLocale("zh_CN");
  ASSERT_TRUE(getChosenLanguage(language));
  ASSERT_TRUE(getChosenCountry(country));
  EXPECT_EQ("zh", language);
  EXPECT_EQ("CN", country);
  setChosenLocale("no_NO_NY");
  EXPECT_TRUE(getChosenLanguage(language));
  EXPECT_EQ("no", language);
  EXPECT_FALSE(getChosenCountry(country));
  setChosenLocale("en");
  EXPECT_FALSE(getChosenCountry(country));
}

} // namespace
} // namespace lnx
