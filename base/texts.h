// Fixed texts of the program, in the two encodings it can show them in.
//
// Every Japanese text the program prints is kept here as the code page 932
// (Shift-JIS) bytes that go to files and pipes, beside the same text in UTF-8,
// which is shown only on a UTF-8 terminal. The readable text stands in the
// comment above each constant; a unit test converts every cp932 constant with
// iconv and checks it against its UTF-8 twin.
//
// Messages that carry a value (a path, an index, a number text) are split into
// the text before and the text after the value.

#ifndef TRACKSIFT_BASE_TEXTS_H_
#define TRACKSIFT_BASE_TEXTS_H_

#include <string_view>

namespace tracksift {

struct FixedText {
  std::string_view cp932;
  std::string_view utf8;
};

// Which of the two forms of a fixed text to show.
enum class Encoding { kCp932, kUtf8 };

constexpr std::string_view Render(const FixedText& text, Encoding encoding) {
  return encoding == Encoding::kUtf8 ? text.utf8 : text.cp932;
}

// このｿﾌﾄはKorvexﾎﾟｰﾀﾌﾞﾙﾅﾋﾞのあしあとで記録された中で不正ﾃﾞｰﾀを削除するものです
inline constexpr FixedText kUsageLine1{"\x82\xB1\x82\xCC\xBF\xCC\xC4\x82\xCDKorvex\xCE\xDF\xB0\xC0\xCC\xDE\xD9\xC5\xCB\xDE\x82\xCC\x82\xA0\x82\xB5\x82\xA0\x82\xC6\x82\xC5\x8BL\x98^\x82\xB3\x82\xEA\x82\xBD\x92\x86\x82\xC5\x95s\x90\xB3\xC3\xDE\xB0\xC0\x82\xF0\x8D\xED\x8F\x9C\x82\xB7\x82\xE9\x82\xE0\x82\xCC\x82\xC5\x82\xB7", "このｿﾌﾄはKorvexﾎﾟｰﾀﾌﾞﾙﾅﾋﾞのあしあとで記録された中で不正ﾃﾞｰﾀを削除するものです"};
// 起動ｵﾌﾟｼｮﾝの指定に関係なく、GPS未受信ﾃﾞｰﾀは削除します
inline constexpr FixedText kUsageLine3{"\x8BN\x93\xAE\xB5\xCC\xDF\xBC\xAE\xDD\x82\xCC\x8Ew\x92\xE8\x82\xC9\x8A\xD6\x8CW\x82\xC8\x82\xAD\x81""AGPS\x96\xA2\x8E\xF3\x90M\xC3\xDE\xB0\xC0\x82\xCD\x8D\xED\x8F\x9C\x82\xB5\x82\xDC\x82\xB7", "起動ｵﾌﾟｼｮﾝの指定に関係なく、GPS未受信ﾃﾞｰﾀは削除します"};
// Tracksift [-k**/-m**] [-x**] 入力ﾌｧｲﾙ 出力ﾌｧｲﾙ
inline constexpr FixedText kUsageLine5{"Tracksift [-k**/-m**] [-x**] \x93\xFC\x97\xCD\xCC\xA7\xB2\xD9 \x8Fo\x97\xCD\xCC\xA7\xB2\xD9", "Tracksift [-k**/-m**] [-x**] 入力ﾌｧｲﾙ 出力ﾌｧｲﾙ"};
//     -k** : **km/h 以上のﾃﾞｰﾀは不正と見なし無視する
inline constexpr FixedText kUsageLine7{"    -k** : **km/h \x88\xC8\x8F\xE3\x82\xCC\xC3\xDE\xB0\xC0\x82\xCD\x95s\x90\xB3\x82\xC6\x8C\xA9\x82\xC8\x82\xB5\x96\xB3\x8E\x8B\x82\xB7\x82\xE9", "    -k** : **km/h 以上のﾃﾞｰﾀは不正と見なし無視する"};
//     -m** : **m/s 以上のﾃﾞｰﾀは不正と見なし無視する
inline constexpr FixedText kUsageLine8{"    -m** : **m/s \x88\xC8\x8F\xE3\x82\xCC\xC3\xDE\xB0\xC0\x82\xCD\x95s\x90\xB3\x82\xC6\x8C\xA9\x82\xC8\x82\xB5\x96\xB3\x8E\x8B\x82\xB7\x82\xE9", "    -m** : **m/s 以上のﾃﾞｰﾀは不正と見なし無視する"};
//     この指定はどちらか一方もしくは無指定
inline constexpr FixedText kUsageLine9{"    \x82\xB1\x82\xCC\x8Ew\x92\xE8\x82\xCD\x82\xC7\x82\xBF\x82\xE7\x82\xA9\x88\xEA\x95\xFB\x82\xE0\x82\xB5\x82\xAD\x82\xCD\x96\xB3\x8Ew\x92\xE8", "    この指定はどちらか一方もしくは無指定"};
//     -x** : 前のｽﾋﾟｰﾄﾞの**倍のﾃﾞｰﾀは不正と見なし無視する
inline constexpr FixedText kUsageLine11{"    -x** : \x91O\x82\xCC\xBD\xCB\xDF\xB0\xC4\xDE\x82\xCC**\x94{\x82\xCC\xC3\xDE\xB0\xC0\x82\xCD\x95s\x90\xB3\x82\xC6\x8C\xA9\x82\xC8\x82\xB5\x96\xB3\x8E\x8B\x82\xB7\x82\xE9", "    -x** : 前のｽﾋﾟｰﾄﾞの**倍のﾃﾞｰﾀは不正と見なし無視する"};
//     指定もしくは無指定
inline constexpr FixedText kUsageLine12{"    \x8Ew\x92\xE8\x82\xE0\x82\xB5\x82\xAD\x82\xCD\x96\xB3\x8Ew\x92\xE8", "    指定もしくは無指定"};
//     入力ﾌｧｲﾙ : （ﾄﾞﾗｲﾌﾞ、ﾊﾟｽ名を含む）入力ﾌｧｲﾙ名を指定
inline constexpr FixedText kUsageLine14{"    \x93\xFC\x97\xCD\xCC\xA7\xB2\xD9 : \x81i\xC4\xDE\xD7\xB2\xCC\xDE\x81""A\xCA\xDF\xBD\x96\xBC\x82\xF0\x8A\xDC\x82\xDE\x81j\x93\xFC\x97\xCD\xCC\xA7\xB2\xD9\x96\xBC\x82\xF0\x8Ew\x92\xE8", "    入力ﾌｧｲﾙ : （ﾄﾞﾗｲﾌﾞ、ﾊﾟｽ名を含む）入力ﾌｧｲﾙ名を指定"};
//     出力ﾌｧｲﾙ : （ﾄﾞﾗｲﾌﾞ、ﾊﾟｽ名を含む）出力ﾌｧｲﾙ名を指定
inline constexpr FixedText kUsageLine15{"    \x8Fo\x97\xCD\xCC\xA7\xB2\xD9 : \x81i\xC4\xDE\xD7\xB2\xCC\xDE\x81""A\xCA\xDF\xBD\x96\xBC\x82\xF0\x8A\xDC\x82\xDE\x81j\x8Fo\x97\xCD\xCC\xA7\xB2\xD9\x96\xBC\x82\xF0\x8Ew\x92\xE8", "    出力ﾌｧｲﾙ : （ﾄﾞﾗｲﾌﾞ、ﾊﾟｽ名を含む）出力ﾌｧｲﾙ名を指定"};
//  がモジュール 
inline constexpr FixedText kReportRaisedIn{" \x82\xAA\x83\x82\x83W\x83\x85\x81[\x83\x8B ", " がモジュール "};
//  の 
inline constexpr FixedText kReportAt{" \x82\xCC ", " の "};
//  で発生しました。
inline constexpr FixedText kReportOccurred{" \x82\xC5\x94\xAD\x90\xB6\x82\xB5\x82\xDC\x82\xB5\x82\xBD\x81""B", " で発生しました。"};
// ファイル 
inline constexpr FixedText kOpenErrorBefore{"\x83t\x83@\x83""C\x83\x8B ", "ファイル "};
//  は開けません
inline constexpr FixedText kOpenErrorAfter{" \x82\xCD\x8AJ\x82\xAF\x82\xDC\x82\xB9\x82\xF1", " は開けません"};
// ファイル 
inline constexpr FixedText kCreateErrorBefore{"\x83t\x83@\x83""C\x83\x8B ", "ファイル "};
//  を作成できません
inline constexpr FixedText kCreateErrorAfter{" \x82\xF0\x8D\xEC\x90\xAC\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1", " を作成できません"};
// ストリームへの書き込みエラー
inline constexpr FixedText kWriteErrorMessage{"\x83X\x83g\x83\x8A\x81[\x83\x80\x82\xD6\x82\xCC\x8F\x91\x82\xAB\x8D\x9E\x82\xDD\x83G\x83\x89\x81[", "ストリームへの書き込みエラー"};
// リストのインデックスが範囲を超えています (
inline constexpr FixedText kListIndexBefore{"\x83\x8A\x83X\x83g\x82\xCC\x83""C\x83\x93\x83""f\x83""b\x83N\x83X\x82\xAA\x94\xCD\x88\xCD\x82\xF0\x92\xB4\x82\xA6\x82\xC4\x82\xA2\x82\xDC\x82\xB7 (", "リストのインデックスが範囲を超えています ("};
// )
inline constexpr FixedText kListIndexAfter{")", ")"};
// '
inline constexpr FixedText kConvertBefore{"'", "'"};
// ' は浮動小数点数ではありません
inline constexpr FixedText kConvertAfter{"' \x82\xCD\x95\x82\x93\xAE\x8F\xAC\x90\x94\x93_\x90\x94\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1", "' は浮動小数点数ではありません"};
// 浮動小数点数のオーバーフロー
inline constexpr FixedText kOverflowMessage{"\x95\x82\x93\xAE\x8F\xAC\x90\x94\x93_\x90\x94\x82\xCC\x83I\x81[\x83o\x81[\x83t\x83\x8D\x81[", "浮動小数点数のオーバーフロー"};
// メモリが足りません
inline constexpr FixedText kOutOfMemoryMessage{"\x83\x81\x83\x82\x83\x8A\x82\xAA\x91\xAB\x82\xE8\x82\xDC\x82\xB9\x82\xF1", "メモリが足りません"};
// ファイルが見つかりません
inline constexpr FixedText kInOutFileNotFound{"\x83t\x83@\x83""C\x83\x8B\x82\xAA\x8C\xA9\x82\xC2\x82\xA9\x82\xE8\x82\xDC\x82\xB9\x82\xF1", "ファイルが見つかりません"};
// 不正なファイル名です
inline constexpr FixedText kInOutBadFileName{"\x95s\x90\xB3\x82\xC8\x83t\x83@\x83""C\x83\x8B\x96\xBC\x82\xC5\x82\xB7", "不正なファイル名です"};
// オープンしたファイルが多すぎます
inline constexpr FixedText kInOutTooManyFiles{"\x83I\x81[\x83v\x83\x93\x82\xB5\x82\xBD\x83t\x83@\x83""C\x83\x8B\x82\xAA\x91\xBD\x82\xB7\x82\xAC\x82\xDC\x82\xB7", "オープンしたファイルが多すぎます"};
// ファイルへのアクセスが拒否されました
inline constexpr FixedText kInOutAccessDenied{"\x83t\x83@\x83""C\x83\x8B\x82\xD6\x82\xCC\x83""A\x83N\x83Z\x83X\x82\xAA\x8B\x91\x94\xDB\x82\xB3\x82\xEA\x82\xDC\x82\xB5\x82\xBD", "ファイルへのアクセスが拒否されました"};
// ファイルの末尾以降を読み込みました
inline constexpr FixedText kInOutReadPastEnd{"\x83t\x83@\x83""C\x83\x8B\x82\xCC\x96\x96\x94\xF6\x88\xC8\x8D~\x82\xF0\x93\xC7\x82\xDD\x8D\x9E\x82\xDD\x82\xDC\x82\xB5\x82\xBD", "ファイルの末尾以降を読み込みました"};
// ディスクがいっぱいです
inline constexpr FixedText kInOutDiskFull{"\x83""f\x83""B\x83X\x83N\x82\xAA\x82\xA2\x82\xC1\x82\xCF\x82\xA2\x82\xC5\x82\xB7", "ディスクがいっぱいです"};
// 入力値が数値ではありません
inline constexpr FixedText kInOutNotNumeric{"\x93\xFC\x97\xCD\x92l\x82\xAA\x90\x94\x92l\x82\xC5\x82\xCD\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1", "入力値が数値ではありません"};
// I/O エラー (
inline constexpr FixedText kInOutOtherBefore{"I/O \x83G\x83\x89\x81[ (", "I/O エラー ("};
// )
inline constexpr FixedText kInOutOtherAfter{")", ")"};

// Every constant above, for tests that check them all.
inline constexpr FixedText kAllFixedTexts[] = {
    kUsageLine1,
    kUsageLine3,
    kUsageLine5,
    kUsageLine7,
    kUsageLine8,
    kUsageLine9,
    kUsageLine11,
    kUsageLine12,
    kUsageLine14,
    kUsageLine15,
    kReportRaisedIn,
    kReportAt,
    kReportOccurred,
    kOpenErrorBefore,
    kOpenErrorAfter,
    kCreateErrorBefore,
    kCreateErrorAfter,
    kWriteErrorMessage,
    kListIndexBefore,
    kListIndexAfter,
    kConvertBefore,
    kConvertAfter,
    kOverflowMessage,
    kOutOfMemoryMessage,
    kInOutFileNotFound,
    kInOutBadFileName,
    kInOutTooManyFiles,
    kInOutAccessDenied,
    kInOutReadPastEnd,
    kInOutDiskFull,
    kInOutNotNumeric,
    kInOutOtherBefore,
    kInOutOtherAfter,
};

}  // namespace tracksift

#endif  // TRACKSIFT_BASE_TEXTS_H_
