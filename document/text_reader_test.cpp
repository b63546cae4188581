#include "document/text_reader.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "common/fixtures_test.h"

namespace kelmoa {
namespace {

using testing::Sjis;
using testing::TempDir;
using testing::WriteBytes;

struct Read {
  std::u16string msg;
  StrList lines;
  Status status;
};

Read ReadText(const std::string& path) {
  Read r;
  r.msg = ReadFileToAryAndChkMsg(path, r.lines, r.status);
  return r;
}

std::string Lines(int n, const std::string& line) {
  std::string s;
  for (int i = 0; i < n; ++i) s += line + "\r\n";
  return s;
}

TEST(TextReader, StoresLinesExactlyAsRead) {
  TempDir dir;
  WriteBytes(dir / "t.txt", "  Hello,\tworld  \r\n\r\n" + Sjis("犬 dog") + "\rlast a\nb");
  const Read r = ReadText(dir / "t.txt");
  ASSERT_TRUE(r.status.ok());
  EXPECT_EQ(r.msg, u"");
  EXPECT_EQ(r.lines, (StrList{u"", u"  Hello,\tworld  ", u"", u"犬 dog", u"last a\nb"}));

  WriteBytes(dir / "empty.txt", "");
  EXPECT_EQ(UpperBound(ReadText(dir / "empty.txt").lines), 0);
}

TEST(TextReader, LineByteLimitCountsDoubleByteCharactersTwice) {
  TempDir dir;
  WriteBytes(dir / "100.txt", std::string(100, 'x') + "\r\n");
  EXPECT_EQ(ReadText(dir / "100.txt").msg, u"");

  std::string fiftyOne;
  for (int i = 0; i < 51; ++i) fiftyOne += Sjis("あ");
  WriteBytes(dir / "102.txt", "short\r\n" + fiftyOne + "\r\n" + std::string(300, 'y'));
  const Read r = ReadText(dir / "102.txt");
  EXPECT_EQ(r.msg,
            u"1行のバイト数が100を超えている行があります。\r\n"
            u"  2行目：102バイト\r\n\r\n"
            u"エディタで開いて，改行を加えてすべての行を100バイト以下にしてから，\r\n"
            u"再度このテキストファイルを指定してください。");
  EXPECT_EQ(UpperBound(r.lines), 0) << "a rejected file leaves no lines";
}

TEST(TextReader, LinesAcrossTheFilesReadPiecesComeWhole) {
  // Some 200 KiB of lines of every length up to the limit, some with a double-byte character,
  // ended by CR LF or CR; one CR LF is split between the first two 64 KiB pieces.
  TempDir dir;
  std::string bytes;
  StrList expected = NewStrList();
  bool split = false;
  for (int i = 0; bytes.size() < 200000; ++i) {
    int len = i % 99;
    if (!split && bytes.size() + 102 > 65536) {
      len = static_cast<int>(65535 - bytes.size());  // its CR is the piece's last byte
      split = true;
    }
    const std::string ascii(static_cast<size_t>(len), static_cast<char>('a' + i % 26));
    const bool dog = i % 7 == 0 && len <= 98;
    bytes += (dog ? Sjis("犬") : "") + ascii + (i % 3 == 0 && !split ? "\r" : "\r\n");
    expected.push_back((dog ? u"犬" : u"") + std::u16string(ascii.begin(), ascii.end()));
  }
  ASSERT_EQ(bytes.substr(65535, 2), "\r\n");
  WriteBytes(dir / "long.txt", bytes);
  const Read r = ReadText(dir / "long.txt");
  ASSERT_EQ(r.msg, u"");
  EXPECT_EQ(r.lines, expected);
}

TEST(TextReader, LoneLfFileIsOneLongLineAndVeryLongLinesGiveTheirFullLength) {
  TempDir dir;
  WriteBytes(dir / "lf.txt", "one\ntwo\nthree");
  EXPECT_EQ(ReadText(dir / "lf.txt").lines, (StrList{u"", u"one\ntwo\nthree"}));

  std::string lf;
  for (int i = 0; i < 5000; ++i) lf += "some words\n";
  WriteBytes(dir / "long.txt", lf);
  EXPECT_NE(ReadText(dir / "long.txt").msg.find(u"1行目：55000バイト"), std::u16string::npos);
}

TEST(TextReader, LineCountLimitAndWhichMessageWins) {
  TempDir dir;
  WriteBytes(dir / "9000.txt", Lines(9000, "line"));
  EXPECT_EQ(UpperBound(ReadText(dir / "9000.txt").lines), 9000);

  WriteBytes(dir / "9001.txt", Lines(9000, "line") + "\r\n");
  const Read r = ReadText(dir / "9001.txt");
  EXPECT_EQ(r.msg, u"読込むテキストファイルの行数は9000行までです。");
  EXPECT_EQ(UpperBound(r.lines), 0);

  WriteBytes(dir / "9001long.txt", Lines(9000, "line") + std::string(101, 'z'));
  EXPECT_NE(ReadText(dir / "9001long.txt").msg.find(u"9001行目：101バイト"), std::u16string::npos);
}

TEST(TextReader, FilesThatCannotBeReadAreErrorsNotRejections) {
  TempDir dir;
  const Read missing = ReadText(dir / "missing.txt");
  EXPECT_FALSE(missing.status.ok());
  EXPECT_EQ(missing.msg, u"");
  EXPECT_EQ(UpperBound(missing.lines), 0);

  EXPECT_FALSE(ReadText(dir.path()).status.ok()) << "a folder";
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0600), 0);
  EXPECT_FALSE(ReadText(dir / "fifo").status.ok()) << "a pipe must not hang the reader";
}

TEST(TextReader, ReadsARealEnglishText) {
  TempDir dir;
  // The licence text folded to lines of at most 80 characters, with CR LF.
  std::string folded, line;
  for (const char c : testing::LicenceText()) {
    if (c == '\n') {
      folded += line.substr(0, 80) + "\r\n";
      line.clear();
    } else {
      line += c;
    }
  }
  WriteBytes(dir / "gpl.txt", folded);
  const Read r = ReadText(dir / "gpl.txt");
  ASSERT_EQ(r.msg, u"");
  EXPECT_GT(UpperBound(r.lines), 600);
  EXPECT_EQ(r.lines[1].substr(0, 4), u"    ");
}

}  // namespace
}  // namespace kelmoa
