// Benchmarks of the core. Each case that has a floor is measured against it in the same run:
// the floor is the unavoidable work of reading and decoding the same bytes.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/str_list.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_import.h"
#include "core/text/layout.h"
#include "core/text/open_text.h"
#include "core/text/prepare_text.h"
#include "core/text/reading_session.h"
#include "core/text/word_info.h"

namespace kelmoa {
namespace {

// Makes the file at path, unless it is there, in a child process: making it takes many small
// allocations, and the heap they would leave behind in this process would slow every load
// measured after it, which a freshly started Kelmoa does not meet.
void MakeInChild(const std::string& path, const std::function<void()>& make) {
  if (std::filesystem::exists(path))
    return;
  const pid_t child = ::fork();
  if (child == 0) {
    make();
    ::_exit(0);
  }
  if (child > 0)
    ::waitpid(child, nullptr, 0);
}

// A synthetic dictionary of `entries` head words with one to three meanings each, in file
// order (sorted) or shuffled; written once per process to the temporary folder.
void WriteSyntheticDictionary(const std::string& path, int entries, bool shuffled);

std::string SyntheticDictionary(int entries, bool shuffled) {
  const std::string path =
      (std::filesystem::temp_directory_path() /
       ("kelmoa-bench-" + std::to_string(::getpid()) + "-" + std::to_string(entries) +
        (shuffled ? "-shuffled" : "-sorted") + ".txt"))
          .string();
  MakeInChild(path, [&] { WriteSyntheticDictionary(path, entries, shuffled); });
  return path;
}

void WriteSyntheticDictionary(const std::string& path, int entries, bool shuffled) {
  std::mt19937 rng(42);
  std::uniform_int_distribution<int> letter(0, 25), len(3, 11), count(1, 3), kanji(0x4E00, 0x4FFF);
  std::vector<std::u16string> lines;
  std::set<std::u16string> unique;
  while (static_cast<int>(unique.size()) < entries) {
    std::u16string w;
    for (int i = len(rng); i > 0; --i)
      w += static_cast<char16_t>(u'a' + letter(rng));
    unique.insert(std::move(w));
  }
  const std::vector<std::u16string> words(unique.begin(), unique.end());
  for (const auto& w : words) {
    for (int m = count(rng); m > 0; --m) {
      std::u16string meaning = u"【名】";
      while (meaning.size() < 6) {
        const auto ch = static_cast<char16_t>(kanji(rng));
        if (IsDoubleByteChar(ch))
          meaning += ch;  // only what CP932 holds, so the order stays
      }
      lines.push_back(w + u'\t' + meaning);
    }
  }
  if (shuffled) {
    std::shuffle(lines.begin(), lines.end(), rng);
  } else {
    std::sort(lines.begin(), lines.end(),
              [](const auto& a, const auto& b) { return DicLineLess(a, b); });
  }
  std::u16string text;
  for (const auto& l : lines)
    text += l + u"\r\n";
  std::ofstream(path, std::ios::binary) << Utf16ToSjis(text);
}

// Removes the generated files when the process ends.
struct Cleanup {
  ~Cleanup() {
    for (const auto& e :
         std::filesystem::directory_iterator(std::filesystem::temp_directory_path())) {
      if (e.path().filename().string().rfind("kelmoa-bench-" + std::to_string(::getpid()), 0) ==
          0) {
        std::filesystem::remove_all(e.path());
      }
    }
  }
} removeFilesAtExit;

void BM_DicFloorReadDecode(benchmark::State& state) {
  const std::string path = SyntheticDictionary(100000, state.range(0) != 0);
  for (auto _ : state) {
    std::string bytes;
    if (!DefaultFileOps().ReadAll(path, bytes).ok())
      state.SkipWithError("the file cannot be read");
    benchmark::DoNotOptimize(SjisToUtf16(bytes));
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<int64_t>(std::filesystem::file_size(path)));
}
BENCHMARK(BM_DicFloorReadDecode)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("shuffled")
    ->Unit(benchmark::kMillisecond);

void BM_DicLoad(benchmark::State& state) {
  const std::string path = SyntheticDictionary(100000, state.range(0) != 0);
  for (auto _ : state) {
    Dictionary dic;
    if (!dic.LoadDicFile(path).ok())
      state.SkipWithError("the dictionary cannot be read");
    benchmark::DoNotOptimize(dic.Count());
    if (dic.Count() != 100000)
      state.SkipWithError("wrong entry count");
  }
}
BENCHMARK(BM_DicLoad)->Arg(0)->Arg(1)->ArgName("shuffled")->Unit(benchmark::kMillisecond);

std::string TempPath(const std::string& name) {
  return (std::filesystem::temp_directory_path() /
          ("kelmoa-bench-" + std::to_string(::getpid()) + "-" + name))
      .string();
}

// The default dictionary, built from Debian's EDICT, FreeDict and WordNet as the run command
// builds it, with its phrase dictionary beside it; empty when a source is not installed.
std::string DefaultDictionary() {
  static const std::string path = [] {
    const std::string edictPath = "/usr/share/edict/edict";
    if (!std::filesystem::exists(edictPath))
      return std::string();
    const std::filesystem::path folder = TempPath("dic");
    const std::string p = (folder / "Dic_EJ.txt").string();
    MakeInChild(p, [&] {
      DictionarySources sources;
      std::string bytes, phraseBytes;
      std::filesystem::create_directories(folder);
      if (ReadDictionarySources(SourcePaths{}, sources).ok() &&
          ImportDictionary(sources, bytes, nullptr, &phraseBytes).ok()) {
        std::ofstream(folder / "Phrase_EJ.txt", std::ios::binary) << phraseBytes;
        std::ofstream(p, std::ios::binary) << bytes;
      }
    });
    return std::filesystem::exists(p) ? p : std::string();
  }();
  return path;
}

// 9000 lines of real English prose, about 80 bytes a line: the licence texts every Debian
// machine has, refilled, and repeated as needed.
std::string ProseText() {
  static const std::string path = [] {
    std::vector<std::string> words;
    for (const char* f : {"GPL-3", "GFDL-1.3", "Apache-2.0", "LGPL-2.1", "MPL-2.0"}) {
      std::ifstream in(std::string("/usr/share/common-licenses/") + f);
      for (std::string w; in >> w;)
        words.push_back(w);
    }
    std::string text, line;
    int lines = 0;
    for (size_t i = 0; lines < 9000; i = (i + 1) % words.size()) {
      if (!line.empty() && line.size() + 1 + words[i].size() > 80) {
        text += line + "\r\n";
        ++lines;
        line.clear();
      }
      if (!line.empty())
        line += ' ';
      line.append(words[i], 0, 80);
    }
    const std::string p = TempPath("prose.txt");
    std::ofstream(p, std::ios::binary) << text;
    return p;
  }();
  return path;
}

void BM_DefaultDicFloorReadDecode(benchmark::State& state) {
  const std::string path = DefaultDictionary();
  if (path.empty()) {
    state.SkipWithError("EDICT is not installed");
    return;
  }
  for (auto _ : state) {
    std::string bytes;
    if (!DefaultFileOps().ReadAll(path, bytes).ok())
      state.SkipWithError("the file cannot be read");
    benchmark::DoNotOptimize(SjisToUtf16(bytes));
  }
}
BENCHMARK(BM_DefaultDicFloorReadDecode)->Unit(benchmark::kMillisecond);

void BM_DefaultDicLoad(benchmark::State& state) {
  const std::string path = DefaultDictionary();
  if (path.empty()) {
    state.SkipWithError("EDICT is not installed");
    return;
  }
  int entries = 0;
  for (auto _ : state) {
    Dictionary dic;
    if (!dic.LoadDicFile(path).ok())
      state.SkipWithError("the dictionary cannot be read");
    entries = dic.Count();
  }
  state.counters["entries"] = entries;
}
BENCHMARK(BM_DefaultDicLoad)->Unit(benchmark::kMillisecond);

void BM_OpenTextFloorReadDecode(benchmark::State& state) {
  const std::string path = ProseText();
  for (auto _ : state) {
    std::string bytes;
    if (!DefaultFileOps().ReadAll(path, bytes).ok())
      state.SkipWithError("the file cannot be read");
    benchmark::DoNotOptimize(SjisToUtf16(bytes));
  }
}
BENCHMARK(BM_OpenTextFloorReadDecode)->Unit(benchmark::kMillisecond);

// The session's dictionary: the default one; the benchmark is skipped without EDICT.
bool LoadDefaultDictionary(benchmark::State& state, ReadingSession& session) {
  if (DefaultDictionary().empty() || !session.LoadDictionary(DefaultDictionary()).ok()) {
    state.SkipWithError("EDICT is not installed");
    return false;
  }
  return true;
}

// The character widths the prose text is laid out with.
SettingInfo ProseSetting() {
  SettingInfo setting;
  setting.HalfWidth = 7;
  setting.FullWidth = 13;
  return setting;
}

// Opening a text as the open routine does, short of drawing: detection, reading under the
// limits, the character grid, positions, and the word information against the dictionary.
void BM_OpenText(benchmark::State& state) {
  ReadingSession session({});
  if (!LoadDefaultDictionary(state, session))
    return;
  const SettingInfo setting = ProseSetting();
  const std::string path = ProseText();
  for (auto _ : state) {
    const OpenResult opened = session.Open(path, setting);
    benchmark::DoNotOptimize(opened.maxRight);
  }
  const TextDocument& doc = session.Document();
  state.counters["lines"] = doc.LineCount();
  state.counters["words"] = doc.words.Count();
}
BENCHMARK(BM_OpenText)->Unit(benchmark::kMillisecond);

// The phrases of a line, found the first time the pointer comes onto one of its words: every
// line of the prose text in turn, each met for the first time (the time is per line).
void BM_PhrasesOfANewLine(benchmark::State& state) {
  ReadingSession session({});
  if (!LoadDefaultDictionary(state, session))
    return;
  if (!session.Open(ProseText(), ProseSetting()).ok()) {
    state.SkipWithError("the prose text did not open");
    return;
  }
  const WordTable& t = session.Document().words;
  int line = 0, found = 0;
  for (auto _ : state) {
    line = line % session.Document().LineCount() + 1;
    if (line == 1) {
      state.PauseTiming();
      session.Relayout(ProseSetting());  // forgets the phrases found
      state.ResumeTiming();
    }
    const int k = t.mLineFirstWord[static_cast<size_t>(line)];
    found += k != 0 && session.PhraseAt(k) != nullptr ? 1 : 0;
  }
  state.counters["phrases"] = found;
  state.counters["phrase_entries"] = session.Phrases().Count();
}
BENCHMARK(BM_PhrasesOfANewLine)->Unit(benchmark::kMicrosecond);

// The three shapes of a 64 MiB text to prepare: one line of words, nothing but line ends, and
// an English text whose paragraphs stand on one line each (as texts saved from the web do),
// written once per process.
std::string PrepareInput(int shape) {
  const std::string path =
      (std::filesystem::temp_directory_path() / ("kelmoa-bench-" + std::to_string(::getpid()) +
                                                 "-prepare-" + std::to_string(shape) + ".txt"))
          .string();
  MakeInChild(path, [&] {
    constexpr size_t kSize = 64 << 20;
    std::string unit = shape == 0 ? "word " : "\n";
    if (shape == 2) {
      std::ifstream in("/usr/share/common-licenses/GPL-3", std::ios::binary);
      const std::string licence{std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>()};
      unit.clear();
      for (size_t i = 0; i < licence.size(); ++i) {
        const bool blank = licence[i] == '\n' && i + 1 < licence.size() && licence[i + 1] == '\n';
        unit +=
            licence[i] == '\n' && !blank && !unit.empty() && unit.back() != '\n' ? ' ' : licence[i];
      }
    }
    std::string text;
    text.reserve(kSize + unit.size());
    while (text.size() < kSize)
      text += unit;
    text.resize(kSize);
    std::ofstream(path, std::ios::binary) << text;
  });
  return path;
}

// Preparing a 64 MiB text as kelmoa-tool prepare does, from reading it to writing its parts
// (and taking them away again). A text that needs more than a hundred parts is refused: parts
// is 0 then. peak_MiB is the process's peak resident memory.
void BM_Prepare64MiB(benchmark::State& state) {
  const std::string path = PrepareInput(static_cast<int>(state.range(0)));
  std::unique_ptr<TextPreparer> preparer;
  if (!TextPreparer::Create(preparer).ok()) {
    state.SkipWithError("no transliterator");
    return;
  }
  const std::string out = path + ".out";
  size_t parts = 0;
  for (auto _ : state) {
    std::filesystem::create_directory(out);
    PreparedCopy copy;
    if (!PrepareIntoFolder(DefaultFileOps(), *preparer, path, out, copy).ok())
      state.SkipWithError("preparing failed");
    parts = copy.parts.size();
    std::filesystem::remove_all(out);
  }
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  state.counters["parts"] = static_cast<double>(parts);
  state.counters["peak_MiB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_Prepare64MiB)
    ->Arg(0)
    ->Arg(1)
    ->Arg(2)
    ->ArgName("shape")
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace kelmoa

// Freed memory stays with the process instead of going back to the system after every
// iteration, so that a figure measures the work and not the system handing the same pages out
// again, which it does by turns on some iterations and not on others.
int main(int argc, char** argv) {
  ::mallopt(M_MMAP_THRESHOLD, 256 << 20);
  ::mallopt(M_TRIM_THRESHOLD, 512 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv))
    return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
