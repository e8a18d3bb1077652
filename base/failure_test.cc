#include "base/failure.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace tracksift {
namespace {

TEST(FailureTest, EachKindHasItsNameAndMessage) {
  const struct {
    const Exception& failure;
    const char* kind;
    std::string utf8;
  } kCases[] = {
      {EFOpenError("in.log"), "EFOpenError", "ファイル in.log は開けません"},
      {EFOpenError(""), "EFOpenError", "ファイル  は開けません"},
      {EFCreateError("out.log"), "EFCreateError", "ファイル out.log を作成できません"},
      {EWriteError(), "EWriteError", "ストリームへの書き込みエラー"},
      {EStringListError(10), "EStringListError",
       "リストのインデックスが範囲を超えています (10)"},
      {EConvertError("abc"), "EConvertError", "'abc' は浮動小数点数ではありません"},
      {EConvertError(""), "EConvertError", "'' は浮動小数点数ではありません"},
      {EConvertError(" 1,5 "), "EConvertError", "' 1,5 ' は浮動小数点数ではありません"},
      {EOverflow(), "EOverflow", "浮動小数点数のオーバーフロー"},
      {EOutOfMemory(), "EOutOfMemory", "メモリが足りません"},
      {EInOutError(105), "EInOutError", "I/O エラー (105)"},
  };
  for (const auto& c : kCases) {
    EXPECT_STREQ(c.failure.KindName(), c.kind);
    EXPECT_EQ(c.failure.Message(Encoding::kUtf8), c.utf8) << c.kind;
  }
}

TEST(FailureTest, Cp932MessageKeepsInsertedBytesUnchanged) {
  // A path in any encoding, bytes that are no character included.
  const std::string path = "\x82\xA0\xFF/\xE3\x81\x82.log";
  EXPECT_EQ(EFOpenError(path).Message(Encoding::kCp932),
            "\x83t\x83@\x83" "C\x83\x8B " + path + " \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1");
  EXPECT_EQ(EFOpenError(path).Message(Encoding::kUtf8), "ファイル " + path + " は開けません");
}

TEST(FailureTest, InOutErrorMessageFollowsItsNumber) {
  const struct {
    int32_t number;
    const char* utf8;
  } kCases[] = {
      {2, "ファイルが見つかりません"},
      {3, "不正なファイル名です"},
      {4, "オープンしたファイルが多すぎます"},
      {5, "ファイルへのアクセスが拒否されました"},
      {100, "ファイルの末尾以降を読み込みました"},
      {101, "ディスクがいっぱいです"},
      {106, "入力値が数値ではありません"},
      {0, "I/O エラー (0)"},
      {1, "I/O エラー (1)"},
      {6, "I/O エラー (6)"},
      {1032, "I/O エラー (1032)"},
      {-7, "I/O エラー (-7)"},
      {std::numeric_limits<int32_t>::min(), "I/O エラー (-2147483648)"},
  };
  for (const auto& c : kCases) {
    const EInOutError failure(c.number);
    EXPECT_EQ(failure.ErrorNumber(), c.number);
    EXPECT_EQ(failure.Message(Encoding::kUtf8), c.utf8);
  }
}

TEST(FailureTest, ListIndexIsWrittenInDecimalWithItsSign) {
  const struct {
    int64_t index;
    const char* number;
  } kCases[] = {
      {0, "0"},
      {7, "7"},
      {-1, "-1"},
      {2147483647, "2147483647"},
      {std::numeric_limits<int64_t>::min(), "-9223372036854775808"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(EStringListError(c.index).Message(Encoding::kUtf8),
              std::string("リストのインデックスが範囲を超えています (") + c.number + ")");
  }
}

TEST(FailureTest, RenderMessageStopsAtTheCapacity) {
  const EConvertError failure("abc");
  char out[3];
  ASSERT_EQ(failure.RenderMessage(Encoding::kUtf8, out, sizeof out), 3u);
  EXPECT_EQ(std::string(out, 3), "'ab");
  // An inserted value is kept up to the length a report can ever show.
  const std::string long_path(5000, 'p');
  EXPECT_EQ(EFOpenError(long_path).Message(Encoding::kUtf8),
            "ファイル " + std::string(Exception::kMaxValueBytes, 'p') + " は開けません");
}

TEST(FailureTest, KindsHaveTheirBases) {
  const EFOpenError open("x");
  const EFCreateError create("x");
  const EWriteError write;
  const EOutOfMemory memory;
  const EOverflow overflow;
  const EConvertError convert("x");
  const Exception* as_exception[] = {&open, &create, &write, &memory, &overflow, &convert};
  EXPECT_NE(dynamic_cast<const EStreamError*>(as_exception[0]), nullptr);
  EXPECT_NE(dynamic_cast<const EStreamError*>(as_exception[1]), nullptr);
  EXPECT_NE(dynamic_cast<const EFilerError*>(as_exception[2]), nullptr);
  EXPECT_NE(dynamic_cast<const EStreamError*>(as_exception[2]), nullptr);
  EXPECT_NE(dynamic_cast<const EHeapException*>(as_exception[3]), nullptr);
  EXPECT_NE(dynamic_cast<const EMathError*>(as_exception[4]), nullptr);
  EXPECT_NE(dynamic_cast<const EExternal*>(as_exception[4]), nullptr);
  // And nothing more.
  EXPECT_EQ(dynamic_cast<const EFilerError*>(as_exception[0]), nullptr);
  EXPECT_EQ(dynamic_cast<const EStreamError*>(as_exception[3]), nullptr);
  EXPECT_EQ(dynamic_cast<const EStreamError*>(as_exception[5]), nullptr);
  EXPECT_EQ(dynamic_cast<const EExternal*>(as_exception[5]), nullptr);
  // Every kind is caught as Exception.
  try {
    throw EStringListError(3);
  } catch (const Exception& failure) {
    EXPECT_STREQ(failure.KindName(), "EStringListError");
  }
}

[[gnu::noinline]] uint32_t RaiseAtSiteA() {
  try {
    throw EConvertError("a");
  } catch (const Exception& failure) {
    return failure.CodeLocation();
  }
}

[[gnu::noinline]] uint32_t RaiseAtSiteB() {
  try {
    throw EConvertError("b");
  } catch (const Exception& failure) {
    return failure.CodeLocation();
  }
}

TEST(FailureTest, CodeLocationNamesTheRaisingPlace) {
  const uint32_t a = RaiseAtSiteA();
  EXPECT_EQ(RaiseAtSiteA(), a);
  EXPECT_NE(RaiseAtSiteB(), a);
  // It lies in this program's image, near the function that raised it.
  const uint32_t function = CodeOffset(reinterpret_cast<const void*>(&RaiseAtSiteA));
  EXPECT_GT(a, function);
  EXPECT_LT(a, function + 4096);
}

}  // namespace
}  // namespace tracksift
