// kelmoa-tool's word-list commands, run as separate programs, several at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

constexpr auto Tool = &RunTool;

// An installed folder with a small dictionary and a text.
struct Installed {
  TempDir dir;
  std::string base = dir / "base";
  std::string text = dir / "base/txt_shift_jis/story.txt";
  Installed() {
    MakeDataFolders(base);
    WriteBytes(base + "/dic/Dic_EJ.txt",
               Sjis("alpha\tアルファ\r\nbeta\tベータ\r\ngamma\tガンマ\r\nhungry\t空腹の\r\n"
                    "hungry\t飢えた\r\n"));
    WriteBytes(text, "The alpha and beta were\r\nhungry, said gamma.\r\nZzzz end.\r\n");
  }
};

std::string WithoutTimes(const std::string& s) {
  static const std::regex time("\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ");
  return std::regex_replace(s, time, "T");
}

TEST(WordListTool, AddThenListAndExport) {
  Installed in;
  EXPECT_EQ(Tool(in.dir, {"wordlist-add", in.base, in.text, "2", "hungry"}),
            (ToolRun{0, "hungry\t1\n", ""}));
  EXPECT_EQ(Tool(in.dir, {"wordlist-add", in.base, in.text, "1", "ALPHA"}).out, "alpha\t1\n");
  EXPECT_EQ(Tool(in.dir, {"wordlist-add", in.base, in.text, "1", "alpha"}).out, "alpha\t2\n");

  // Each word with its meanings, then its earliest and newest contexts.
  const auto context = [&](const std::string& line) {
    return "\tcontext\tT\t" + in.text + "\t" + line +
           "\tThe alpha and beta were hungry, said gamma.\n";
  };
  ToolRun r = Tool(in.dir, {"wordlist", in.base});
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_EQ(WithoutTimes(r.out),
            "alpha\t2\tT\tT\talpha\n\tmeaning\tアルファ\n" + context("1") + context("1") +
                "hungry\t1\tT\tT\thungry\n\tmeaning\t空腹の\n\tmeaning\t飢えた\n" + context("2"));

  const std::string tsv = in.dir / "cards.tsv";
  EXPECT_EQ(Tool(in.dir, {"wordlist-export", in.base, "tsv", tsv, "--filter", "空腹"}).code, 0);
  EXPECT_EQ(ReadBytes(tsv),
            "#separator:tab\n#html:true\n#columns:Front\tBack\tContext\tSource\n"
            "hungry\t空腹の<br>飢えた\tThe alpha and beta were <b>hungry</b>, said gamma.\t"
            "story.txt:2\n");
  // An existing file is never written over.
  r = Tool(in.dir, {"wordlist-export", in.base, "csv", tsv});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("すでにある"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(tsv).substr(0, 14), "#separator:tab");
}

TEST(WordListTool, RefusalsAndTheirExitStatus) {
  Installed in;
  WriteBytes(in.dir / "long.txt", std::string(101, 'a'));
  struct Case {
    std::vector<std::string> args;
    int code;
    const char* says;  // on stderr
  };
  const Case cases[] = {
      {{"wordlist-add", in.base, in.text, "2", "alpha"}, 2, "2行目に単語「alpha」がありません"},
      {{"wordlist-add", in.base, in.text, "3", "zzzz"}, 2, "「Zzzz」は辞書にない"},
      {{"wordlist-add", in.base, in.text, "0", "alpha"}, 2, "usage"},
      {{"wordlist-add", in.base, in.dir / "none.txt", "1", "alpha"}, 1, "none.txt"},
      {{"wordlist-add", in.base, in.dir / "long.txt", "1", "aaa"}, 3, ""},
      {{"wordlist-add", in.dir / "nobase", in.text, "1", "alpha"}, 1, "nobase"},
      {{"wordlist-export", in.base, "xls", in.dir / "x"}, 2, "usage"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    const ToolRun r = Tool(in.dir, c.args);
    EXPECT_EQ(r.code, c.code) << r.err;
    EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
  }
  // Nothing was added by any of them, and listing an empty list makes no file.
  EXPECT_EQ(Tool(in.dir, {"wordlist", in.base}).out, "");
  EXPECT_FALSE(std::filesystem::exists(in.base + "/wordlist"));
}

TEST(WordListTool, ToolsAddingAtOnceLoseNothing) {
  Installed in;
  const std::vector<std::vector<std::string>> adds = {
      {"1", "alpha"}, {"1", "beta"}, {"1", "alpha"}, {"2", "hungry"}};
  constexpr int kRounds = 8;
  for (int round = 0; round < kRounds; ++round) {
    std::vector<pid_t> pids;
    for (size_t i = 0; i < adds.size(); ++i)
      pids.push_back(StartTool(in.dir, {"wordlist-add", in.base, in.text, adds[i][0], adds[i][1]},
                               std::to_string(i)));
    for (size_t i = 0; i < pids.size(); ++i)
      ASSERT_EQ(FinishTool(in.dir, pids[i], std::to_string(i)).code, 0) << "round " << round;
  }
  const std::string list = Tool(in.dir, {"wordlist", in.base}).out;
  const std::string n = std::to_string(kRounds), twice = std::to_string(2 * kRounds);
  EXPECT_NE(list.find("alpha\t" + twice + "\t"), std::string::npos) << list;
  EXPECT_NE(list.find("\nbeta\t" + n + "\t"), std::string::npos) << list;
  EXPECT_NE(list.find("\nhungry\t" + n + "\t"), std::string::npos) << list;
}

}  // namespace
}  // namespace kelmoa
