// `kelmoa-tool import-dictionary`, run as a separate program the way scripts use it.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "core/base/fixtures_test.h"
#include "core/dictionary/import_excerpt_test.h"

namespace kelmoa {
namespace {

using namespace testing;  // the shared fixtures

// Runs kelmoa-tool import-dictionary with args, split at spaces (the paths have none).
ToolRun Import(const TempDir& dir, const std::string& args) {
  std::vector<std::string> argv{"import-dictionary"};
  std::istringstream in(args);
  for (std::string arg; in >> arg;)
    argv.push_back(arg);
  return RunTool(dir, argv);
}

// The excerpt sources as files below dir/src; returns the options that name them.
std::string WriteExcerptSources(const TempDir& dir) {
  std::filesystem::create_directories(dir / "src/wordnet");
  WriteBytes(dir / "src/edict", Euc(kExcerptEdict));
  const auto [index, text] = Dictd(kExcerptFreedict);
  WriteBytes(dir / "src/fd.index", index);
  WriteBytes(dir / "src/fd.dict.dz", Gzip(text));
  const WordnetFiles wn = ExcerptWordnetFiles();
  for (size_t k = 0; k < kWordnetClassNames.size(); ++k) {
    WriteBytes(dir / "src/wordnet/index." + kWordnetClassNames[k], wn.index[k]);
    WriteBytes(dir / "src/wordnet/" + kWordnetClassNames[k] + ".exc", wn.exceptions[k]);
  }
  WriteBytes(dir / "src/wordnet/cntlist.rev", wn.senseCounts);
  return " --edict " + dir / "src/edict" + " --freedict " + dir / "src/fd" + " --wordnet " +
         dir / "src/wordnet";
}

TEST(ImportDictionaryTool, ReplacesTheDictionaryAndPrintsNothing) {
  TempDir dir;
  const std::string sources = WriteExcerptSources(dir);
  WriteBytes(dir / "Dic_EJ.txt", "old\tdictionary\r\n");
  EXPECT_EQ(Import(dir, dir / "Dic_EJ.txt" + sources), (ToolRun{0, "", ""}));
  const std::string dic = ReadBytes(dir / "Dic_EJ.txt");
  // The program's own core vocabulary first, then the sources'.
  EXPECT_NE(dic.find(Sjis("dog\t①【名】犬\r\ndog\t②")), std::string::npos);
  // The phrase dictionary beside it: the phrase table's phrases and EDICT's.
  const std::string phrases = ReadBytes(dir / "Phrase_EJ.txt");
  EXPECT_NE(phrases.find(Sjis("give up\t①【他】(～を)諦める")), std::string::npos);
  // src, Dic_EJ.txt, Phrase_EJ.txt, .out and .err: no temporary file is left beside them.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 5);
}

TEST(ImportDictionaryTool, AFailureIsReportedAndLeavesTheOldDictionaryAlone) {
  TempDir dir;
  const std::string sources = WriteExcerptSources(dir);
  const std::string old = "old\tdictionary\r\n";
  WriteBytes(dir / "Dic_EJ.txt", old);
  WriteBytes(dir / "notes.txt", "Just some English.\n");
  const std::string out = dir / "Dic_EJ.txt";
  const std::pair<std::string, std::string> kCases[] = {
      {out + sources + " --edict " + dir / "none", dir / "none"},
      {out + sources + " --edict " + dir / "notes.txt", "no EDICT entry"},
      {out + sources + " --freedict " + dir / "none", "dict-freedict-eng-jpn"},
      {out + sources + " --wordnet " + dir / "none", "wordnet-base"},
      {dir / "no/such/Dic_EJ.txt" + sources, "no/such"},
  };
  for (const auto& [args, said] : kCases) {
    const ToolRun r = Import(dir, args);
    EXPECT_EQ(r.code, 1) << args;
    EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
  }
  EXPECT_EQ(ReadBytes(dir / "Dic_EJ.txt"), old);
  for (const std::string& args : {std::string(), out + " --edict", out + " --colour red"})
    EXPECT_EQ(Import(dir, args).code, 2) << args;
}

}  // namespace
}  // namespace kelmoa
