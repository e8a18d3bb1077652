#include "tracklog/rmc_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/failure.h"

namespace tracksift {
namespace {

const std::string kTerminator = "$PGRMM,Tokyo*2F";
const std::string kExample =
    "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A";

std::vector<std::string> FieldsOf(const std::vector<std::string>& lines) {
  LineList block;
  for (const std::string& line : lines) block.Append(line);
  LineList fields;
  ReadRmcFields(block, fields);
  std::vector<std::string> out;
  for (int64_t i = 0; i < fields.Count(); ++i) out.emplace_back(fields.LineAt(i));
  return out;
}

TEST(ReadRmcFieldsTest, SplitsTheWorkedExampleUpToTheSpeed) {
  EXPECT_EQ(FieldsOf({"$GPGGA,1,2", kExample, kTerminator}),
            (std::vector<std::string>{"$GPRMC", "123519", "A", "4807.038", "N",
                                      "01131.000", "E", "022.4"}));
}

TEST(ReadRmcFieldsTest, TheFirstFixSentenceWins) {
  EXPECT_EQ(FieldsOf({"$GPGGA", "$GPRMC,1,A", "$GPRMC,2,V", kTerminator})[1], "1");
  EXPECT_EQ(FieldsOf({"$GPRMCX,1,A", kTerminator})[0], "$GPRMCX");
}

TEST(ReadRmcFieldsTest, EmptyFieldsKeepTheirPlaces) {
  EXPECT_EQ(FieldsOf({"$GPRMC,123519,V,,,,,,,230394,,", kTerminator}),
            (std::vector<std::string>{"$GPRMC", "123519", "V", "", "", "", "", ""}));
  EXPECT_EQ(FieldsOf({"$GPRMC,,V,,", kTerminator}),
            (std::vector<std::string>{"$GPRMC", "", "V", "", ""}));
}

TEST(ReadRmcFieldsTest, ABlockWithoutAFixSentenceFailsWithItsLineCount) {
  struct Case {
    std::vector<std::string> block;
    std::string number;
  };
  const std::vector<Case> cases = {
      {{"$GPGGA", "$GPGSA", "$GPGSV", kTerminator}, "4"},
      {{kTerminator}, "1"},
      {{"$gprmc,1,A", " $GPRMC,1,A", "$GPRM", kTerminator}, "4"},
  };
  for (const Case& c : cases) {
    LineList block;
    for (const std::string& line : c.block) block.Append(line);
    LineList fields;
    fields.Append("untouched");
    try {
      ReadRmcFields(block, fields);
      FAIL();
    } catch (const EStringListError& e) {
      EXPECT_EQ(e.Message(Encoding::kUtf8),
                "リストのインデックスが範囲を超えています (" + c.number + ")");
    }
    EXPECT_EQ(fields.LineAt(0), "untouched");
  }
}

}  // namespace
}  // namespace tracksift
