// The command-line companion, run as a separate program the way scripts use it.
#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>
#include <random>
#include <set>
#include <thread>
#include <tuple>

#include "core/base/fixtures_test.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

constexpr auto Tool = &RunTool;

// An installed folder whose dictionary is large enough that writing it takes a while.
std::string InstallLargeDictionary(const TempDir& dir, size_t bytes = 300000,
                                   const std::string& meaning = "x") {
  MakeDataFolders(dir.path());
  std::string content;
  for (int i = 0; content.size() < bytes; ++i)
    content += "word" + std::to_string(1000000 + i) + "\t" + meaning + "\r\n";
  WriteBytes(dir / "dic/Dic_EJ.txt", content);
  return content;
}

TEST(Tool, EachCommandPrintsItsResultOrEndsWithItsCode) {
  TempDir dir;
  WriteBytes(dir / "a.txt", "plain");
  WriteBytes(dir / "s.txt", Sjis("日本語"));
  WriteBytes(dir / "ok.txt", "one\r\ntwo\r\n");
  WriteBytes(dir / "long.txt", std::string(101, 'a'));
  WriteBytes(dir / "d.txt",
             Sjis("dog\t犬\r\ndogs\t犬たち\r\ncat\t猫\r\ndog\tいぬ\r\nrun\t走る\r\n"));
  struct Case {
    std::vector<std::string> args;
    int code;
    std::string out;  // "*" when only the code counts
  };
  const Case cases[] = {
      {{"detect", dir / "a.txt", dir / "s.txt"},
       0,
       "ASCII\t" + (dir / "a.txt") + "\nSJIS\t" + (dir / "s.txt") + "\n"},
      {{"detect", dir / "none.txt"}, 1, ""},
      {{"read", dir / "ok.txt"}, 0, "2\n"},
      {{"read", dir / "long.txt"},
       3,
       "1行のバイト数が100を超えている行があります。\n  1行目：101バイト\n\n"
       "エディタで開いて，改行を加えてすべての行を100バイト以下にしてから，\n"
       "再度このテキストファイルを指定してください。\n"},
      {{"read"}, 2, "*"},
      {{"bogus"}, 2, "*"},
      {{"entries", dir / "d.txt"},
       0,
       "1\tcat\t猫\n2\tdog\tいぬ\t犬\n3\tdogs\t犬たち\n4\trun\t走る\n"},
      {{"lookup", dir / "d.txt", "Dogs", "running", "xyz"},
       0,
       "Dogs\t3,2\n\t3\tdogs\t犬たち\n\t2\tdog\tいぬ\t犬\nrunning\t4\n\t4\trun\t走る\nxyz\t\n"},
      {{"meaning", dir / "d.txt", "Running", "xyz"}, 0, "Running\t4\trun\n\t走る\nxyz\t0\t\n"},
  };
  for (const Case& c : cases) {
    const ToolRun r = Tool(dir, c.args);
    EXPECT_EQ(std::tuple(r.code, c.out == "*" ? c.out : r.out), std::tuple(c.code, c.out))
        << c.args[0] << " " << c.args.size();
  }
  EXPECT_NE(Tool(dir, {"detect", dir / "none.txt"}).err.find("none.txt"), std::string::npos);
}

// add and delete print nothing when they succeed; a refusal says why, with code 2 for what was
// asked and 1 for the file, and writes nothing.
TEST(Tool, AddAndDeleteWriteThroughWithBackups) {
  TempDir dir;
  MakeDataFolders(dir.path());
  const std::string dic = dir / "dic/Dic_EJ.txt";
  WriteBytes(dic, Sjis("cat\t猫\r\ndog\t犬\r\n"));
  EXPECT_EQ(Tool(dir, {"add", dir.path(), "cow", "牛"}), (ToolRun{0, "", ""}));
  EXPECT_EQ(Tool(dir, {"add", dir.path(), "dog", "いぬ"}), (ToolRun{0, "", ""}));
  EXPECT_EQ(Tool(dir, {"delete", dir.path(), "3", "犬"}), (ToolRun{0, "", ""}));
  const std::string written = Sjis("cat\t猫\r\ncow\t牛\r\ndog\tいぬ\r\n");
  EXPECT_EQ(ReadBytes(dic), written);
  EXPECT_EQ(FileNames(dir / "dic_backup").size(), 3u);
  EXPECT_EQ(Tool(dir, {"delete", dir.path(), "9", "x"}),
            (ToolRun{2, "", "kelmoa-tool: 辞書にその番号の単語はありません。\n    番号＝9\n"}));
  EXPECT_EQ(Tool(dir, {"delete", dir.path(), "two", "x"}).code, 2);
  EXPECT_EQ(Tool(dir, {"add", dir.path(), "ox", "a\tb"}).code, 2);
  ToolRun r = Tool(dir, {"add", dir.path(), "smile", "😀"});
  EXPECT_EQ(r.code, 2);
  EXPECT_NE(r.err.find("「😀」(U+1F600)"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(dic), written);
  const std::string utf8 = "apple\tりんご\ncat\t猫\n";
  WriteBytes(dic, utf8);
  r = Tool(dir, {"add", dir.path(), "dog", "犬"});
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("iconv -f UTF-8 -t CP932 Dic_EJ.txt"), std::string::npos) << r.err;
  EXPECT_EQ(ReadBytes(dic), utf8);
  EXPECT_EQ(FileNames(dir / "dic_backup").size(), 3u);
}

TEST(Tool, AnnotatePrintsEveryWordWithItsPlaceAndLookup) {
  TempDir dir;
  WriteBytes(dir / "d.txt", Sjis("dog\t犬\r\ninternational\t国際的な\r\nrun\t走る\r\n"));
  WriteBytes(dir / "t.txt", Sjis("A dog あ runs inter-\r\nnational\r\n"));
  const ToolRun r = Tool(dir, {"annotate", dir / "d.txt", dir / "t.txt"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out,
            "1\t1\tA\t\t\t47\t54\n"
            "1\t3\tdog\t\t1\t61\t82\n"
            "1\t9\truns\t\t3\t110\t138\n"
            "1\t14\tinter\tinternational\t2\t145\t180\n"
            "2\t1\tnational\tinternational\t2\t47\t103\n");
}

TEST(Tool, SettingsPrintsWhatStartUpWouldUse) {
  TempDir dir;
  WriteBytes(dir / "k.ini", "[Setting]\r\nfontsize=11.25\r\nLineSpace=7\r\nFormLeft=1200\r\n");
  EXPECT_EQ(
      Tool(dir, {"settings", dir / "k.ini", "--screen-width", "1280"}),
      (ToolRun{
          0, "FontSize=11.25\nLineSpace=3\nFormLeft=0\nTextEditor=\n",
          "iniファイルの設定値が範囲外でした。 /     行間：7 / デフォルト値3に設定します。 / \n"
          "iniファイルの設定値が範囲外でした。 /     フォームLeft：1200 / "
          "デフォルト値0に設定します。 / \n"}));
  EXPECT_EQ(Tool(dir, {"settings", dir / "k.ini", "--screen-width"}).code, 2);
}

// The dictionary is always the old or the new one in full; every backup is an earlier version.
TEST(Tool, KillingAnAddAtAnyMomentNeverLeavesAPartialDictionary) {
  TempDir dir;
  std::set<std::string> versions{InstallLargeDictionary(dir)};
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> delayUs(0, 60000);
  for (int round = 0; round < 40; ++round) {
    const std::string word = "zz" + std::to_string(round);
    const std::string before = ReadBytes(dir / "dic/Dic_EJ.txt");
    const pid_t pid = StartTool(dir, {"add", dir.path(), word, "x"});
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs(rng)));
    ::kill(pid, SIGKILL);
    FinishTool(dir, pid);
    const std::string after = ReadBytes(dir / "dic/Dic_EJ.txt");
    if (after != before) {
      EXPECT_NE(after.find(word + "\tx\r\n"), std::string::npos);
      EXPECT_EQ(after.size(), before.size() + word.size() + 4) << "round " << round;
      versions.insert(after);
    }
    for (const std::string& name : FileNames(dir / "dic_backup"))  // '.': not yet renamed
      EXPECT_TRUE(name[0] == '.' || versions.count(ReadBytes(dir / ("dic_backup/" + name))))
          << name;
  }
}

TEST(Tool, PrepareWritesACopyTheReaderTakesAndReportsWhatChanged) {
  TempDir dir;
  const std::string original = "\xEF\xBB\xBF" + std::string(60, 'a') +
                               " caf\xC3\xA9 don\xE2\x80\x99t " + std::string(30, 'b') +
                               "\n\xF0\x9F\x98\x80\n";
  WriteBytes(dir / "in.txt", original);
  EXPECT_EQ(Tool(dir, {"prepare", dir / "in.txt", dir / "out.txt", "--width", "71"}),
            (ToolRun{0,
                     "lines wrapped: 1\ncharacters transliterated: 2\ncharacters replaced: 1\n"
                     "parts written: 1\n",
                     ""}));
  EXPECT_EQ(ReadBytes(dir / "out.txt"),
            std::string(60, 'a') + " cafe don't\r\n" + std::string(30, 'b') + "\r\n?\r\n");
  EXPECT_EQ(ReadBytes(dir / "in.txt"), original);
  EXPECT_EQ(Tool(dir, {"read", dir / "out.txt"}).out, "3\n");

  EXPECT_EQ(Tool(dir, {"prepare", dir / "in.txt", dir / "out.txt"}).code, 1) << "OUT is kept";

  // UTF-8 with a stray byte that Shift_JIS reads: read as UTF-8, the byte reported.
  std::string damaged;
  for (int i = 0; i < 120; ++i)
    damaged += "caf\xC3\xA9 ";
  WriteBytes(dir / "damaged.txt", damaged + "\n\xB1\n");
  const ToolRun d = Tool(dir, {"prepare", dir / "damaged.txt", dir / "d.txt"});
  EXPECT_EQ(d.out.substr(d.out.find("characters replaced")),
            "characters replaced: 1\nparts written: 1\nbytes not UTF-8: 1 (line 2)\n");

  // Bytes no code explains are refused; usage errors; a missing input.
  WriteBytes(dir / "binary.bin", "ab\xE3");
  EXPECT_EQ(Tool(dir, {"prepare", dir / "binary.bin", dir / "b.txt"}).code, 3);
  for (const char* width : {"39", "101", "8x"})
    EXPECT_EQ(Tool(dir, {"prepare", dir / "in.txt", dir / "w.txt", "--width", width}).code, 2);
  EXPECT_EQ(Tool(dir, {"prepare", dir / "gone.txt", dir / "g.txt"}).code, 1);
}

TEST(Tool, TwoAddsAtOnceKeepBothWords) {
  TempDir dir;
  InstallLargeDictionary(dir);
  constexpr int kRounds = 50;
  const auto word = [](int round, int side) {
    return "pair" + std::to_string(round) + "side" + static_cast<char>('a' + side);
  };
  const std::string reloaded =
      "kelmoa-tool: 辞書ファイルがほかのプログラムで変更されていたため，"
      "読み込み直してから変更しました。\n";
  for (int round = 0; round < kRounds; ++round) {
    const pid_t pids[] = {StartTool(dir, {"add", dir.path(), word(round, 0), "語"}, "0"),
                          StartTool(dir, {"add", dir.path(), word(round, 1), "語"}, "1")};
    for (int side = 0; side < 2; ++side) {
      const ToolRun r = FinishTool(dir, pids[side], std::to_string(side));
      ASSERT_EQ(r.code, 0) << "round " << round << ": " << r.err;
      EXPECT_TRUE(r.err.empty() || r.err == reloaded) << r.err;
    }
  }
  const std::string after = ReadBytes(dir / "dic/Dic_EJ.txt");
  for (int k = 0; k < 2 * kRounds; ++k)
    EXPECT_NE(after.find(word(k / 2, k % 2) + "\t" + Sjis("語") + "\r\n"), std::string::npos) << k;
  EXPECT_EQ(FileNames(dir / "dic_backup").size(), 2u * kRounds);
}

TEST(Tool, RunningOutOfMemoryIsAMessageNotACrash) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  TempDir dir;
  const std::string content = InstallLargeDictionary(dir, 48u << 20, std::string(40, 'x'));
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"entries", dir / "dic/Dic_EJ.txt"},
        {"add", dir.path(), "zebra", "しまうま"}}) {
    const ToolRun r = FinishTool(dir, StartTool(dir, args, "", 160u << 20));
    EXPECT_EQ(r.code, 1) << args[0] << " ended by a signal (-1) or otherwise: " << r.err;
    EXPECT_NE(r.err.find("メモリが足りない"), std::string::npos) << args[0] << ": " << r.err;
  }
  EXPECT_EQ(ReadBytes(dir / "dic/Dic_EJ.txt"), content);
}

}  // namespace
}  // namespace kelmoa
