// Benchmarks of what the reader feels: pointer moves over the text, page redraws, one
// dictionary change end to end, and the memory Kelmoa holds with a large text open. Runs on the
// offscreen platform. Each case with a floor is measured against it in the same run.
//
//   kelmoa_gui_bench [benchmark flags]      all cases
//   kelmoa_gui_bench --peak-memory=bare     prints the peak resident memory (KiB) of a bare
//   kelmoa_gui_bench --peak-memory=loaded   Qt window, or of Kelmoa with its data loaded
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <QApplication>
#include <QImage>
#include <QProcess>
#include <QString>
#include <QWidget>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "bench/start_kelmoa.h"
#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/helpers.h"
#include "core/dictionary/dictionary.h"
#include "core/dictionary/dictionary_import.h"
#include "core/text/layout.h"
#include "core/text/open_text.h"
#include "core/text/reading_session.h"
#include "core/text/word_info.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/page_render.h"
#include "gui/window_helpers.h"

// Counts allocations while a case asks for it, to show that a pointer move inside a word
// allocates nothing.
namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<long> allocationCount{0};
}  // namespace

void* operator new(std::size_t n) {
  if (countingAllocations.load(std::memory_order_relaxed))
    ++allocationCount;
  if (void* p = std::malloc(n == 0 ? 1 : n))
    return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace kelmoa {
namespace {

// A base folder laid out as installed: the dictionary and the phrase dictionary built from
// EDICT and 9000 lines of licence prose (about 80 bytes a line).
struct Installed {
  std::string base;
  std::string text;
  std::string dicBytes;

  Installed() {
    std::string tmpl =
        (std::filesystem::temp_directory_path() / "kelmoa-gui-bench-XXXXXX").string();
    base = ::mkdtemp(tmpl.data());
    for (const char* d : {"bin", "dic", "dic_backup", "txt_shift_jis"}) {
      std::filesystem::create_directories(base + "/" + d);
    }
    DictionarySources sources;
    if (const Status s = ReadDictionarySources(SourcePaths{}, sources); !s.ok()) {
      std::fprintf(stderr, "The benchmarks need the default dictionary's sources: %s\n",
                   s.message().c_str());
      std::exit(1);
    }
    std::string phraseBytes;
    if (!ImportDictionary(sources, dicBytes, nullptr, &phraseBytes).ok()) {
      std::fprintf(stderr, "The default dictionary could not be built for the benchmarks\n");
      std::exit(1);
    }
    std::ofstream(base + "/dic/Dic_EJ.txt", std::ios::binary) << dicBytes;
    std::ofstream(base + "/dic/Phrase_EJ.txt", std::ios::binary) << phraseBytes;
    text = base + "/txt_shift_jis/prose.txt";
    std::ofstream(text, std::ios::binary) << Prose(80, 9000);
  }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
  ~Installed() {
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
  }

  // Lines of at most width bytes refilled from the licence texts, CR LF ended.
  static std::string Prose(size_t width, int lineCount) {
    std::vector<std::string> words;
    for (const char* f : {"GPL-3", "GFDL-1.3", "Apache-2.0", "LGPL-2.1", "MPL-2.0"}) {
      std::ifstream in(std::string("/usr/share/common-licenses/") + f);
      for (std::string w; in >> w;)
        words.push_back(w.substr(0, width));
    }
    std::string out, line;
    int lines = 0;
    for (size_t i = 0; lines < lineCount; i = (i + 1) % words.size()) {
      if (!line.empty() && line.size() + 1 + words[i].size() > width) {
        line.resize(width, ' ');  // full-width lines when asked for exactly width bytes
        out += line + "\r\n";
        ++lines;
        line.clear();
      }
      line += (line.empty() ? "" : " ") + words[i];
    }
    return out;
  }
};

// The main window, started on the installed data with the prose text open.
std::unique_ptr<MainWindow> StartKelmoa(const Installed& inst) {
  return StartKelmoaAt(inst.base, inst.text);
}

// Two known words with different texts on the first page, wide enough to move inside.
struct Targets {
  int a = 0, b = 0;
};

Targets FindTargets(const MainWindow& w) {
  const WordTable& t = w.Document().words;
  Targets found;
  for (int k = 1; k <= t.Count(); ++k) {
    if (t.mWordLine[k] > w.Setting().LinesPerPage)
      break;
    if (t.DicHits(k).empty() || t.mWordX2[k] - t.mWordX1[k] < 20)
      continue;
    if (found.a == 0) {
      found.a = k;
    } else if (t.Word(k) != t.Word(found.a)) {
      found.b = k;
      break;
    }
  }
  return found;
}

double MidY(const MainWindow& w, int k) {
  const SettingInfo& s = w.Setting();
  return PageGeometry::Of(s).LineTop(w.Document().words.mWordLine[k], 1) + s.CharHeight / 2.0;
}

void PointerMoveSameWord(benchmark::State& state, MainWindow& w) {
  const Targets t = FindTargets(w);
  const WordTable& words = w.Document().words;
  const double y = MidY(w, t.a);
  const double x1 = words.mWordX1[t.a] + 2, x2 = words.mWordX2[t.a] - 2;
  TextView& view = w.View();
  view.HoverAt({x1, y});  // the popup shows
  allocationCount = 0;
  countingAllocations = true;
  bool left = false;
  for (auto _ : state) {
    view.HoverAt({left ? x1 : x2, y});
    left = !left;
  }
  countingAllocations = false;
  state.counters["allocs_per_move"] =
      benchmark::Counter(static_cast<double>(allocationCount), benchmark::Counter::kAvgIterations);
}

void PointerMoveNewWord(benchmark::State& state, MainWindow& w) {
  const Targets t = FindTargets(w);
  const WordTable& words = w.Document().words;
  const int ks[2] = {t.a, t.b};
  TextView& view = w.View();
  int i = 0;
  for (auto _ : state) {
    const int k = ks[i ^= 1];
    view.HoverAt({(words.mWordX1[k] + words.mWordX2[k]) / 2.0, MidY(w, k)});
  }
}

// A full page of 100-column lines at 12.75 points with line numbers, drawn into the page image
// of a pane as tall as on a 1080-pixel screen.
void PageRedraw(benchmark::State& state) {
  SettingInfo s;
  s.FontSize = 12.75f;
  QFont font = PaneFont(s.FontSize);
  bool ok = false;
  GetPicTextMetrics(font, s.HalfWidth, s.FullWidth, s.CharHeight, ok);
  const int paneHeight = static_cast<int>(0.92 * 1080) - 21 - 5;
  s.LinesPerPage = ComputeLinesPerPage(paneHeight, s);
  auto doc = std::make_unique<TextDocument>();
  int right = 0, longest = 0;
  SetNewTextLines(*doc, SplitTextLines(SjisToUtf16(Installed::Prose(100, s.LinesPerPage + 10))), s,
                  right, longest);
  // Every other word blue, so that both colours are drawn.
  for (int i = 1; i <= doc->LineCount(); ++i) {
    for (int c = 1; c <= kGridCols; c += 2)
      doc->mChrColor(i, c) = kColorBlue;
  }
  PageFont pageFont(font);
  QImage page(right + 3 * s.HalfWidth, paneHeight, QImage::Format_RGB32);
  for (auto _ : state) {
    DrawTextPage(page, pageFont, *doc, s, doc->LineCount(), 1);
    DrawLineNumbers(page, pageFont, doc->LineCount(), 1, s);
  }
  state.counters["lines"] = s.LinesPerPage;
  state.counters["columns"] = GetLineLen(doc->mChr, 1);
}

// One dictionary change end to end with the 9000-line text loaded: add (with its backup and the
// synced, atomic write), word information, redraw.
struct ChangeFixture {
  const Installed& inst;
  ReadingSession session;
  SettingInfo s;
  std::unique_ptr<PageFont> font;
  QImage page;

  explicit ChangeFixture(const Installed& i) : inst(i), session(i.base) {
    if (!session.LoadDictionary().ok()) {
      std::fprintf(stderr, "the benchmark's dictionary cannot be read\n");
      std::abort();
    }
    QFont f = PaneFont(s.FontSize);
    bool ok = false;
    GetPicTextMetrics(f, s.HalfWidth, s.FullWidth, s.CharHeight, ok);
    s.LinesPerPage = ComputeLinesPerPage(637, s);
    font = std::make_unique<PageFont>(f);
    const OpenResult opened = session.Open(inst.text, s);
    page = QImage(opened.maxRight + 3 * s.HalfWidth, 637, QImage::Format_RGB32);
  }
};

void WordInformation(benchmark::State& state, ChangeFixture& f) {
  for (auto _ : state)
    f.session.MarkKnownWords();
}

void DictionaryChangeFloor(benchmark::State& state, ChangeFixture& f) {
  const std::string bytes =
      Utf16ToSjis(u"");  // warm the converter; the floor writes the dictionary's own bytes
  const std::string path = f.inst.base + "/dic/floor.txt";
  for (auto _ : state) {
    if (!ReplaceFileAtomically(DefaultFileOps(), path, f.inst.dicBytes).ok()) {
      state.SkipWithError("write failed");
    }
  }
  benchmark::DoNotOptimize(bytes);
}

void DictionaryChange(benchmark::State& state, ChangeFixture& f) {
  int n = 0;
  const TextDocument& doc = f.session.Document();
  for (auto _ : state) {
    std::u16string word = u"zzbench";
    for (int v = ++n; v > 0; v /= 26)
      word += static_cast<char16_t>(u'a' + v % 26);
    // The change marks the words again.
    if (!f.session.AddMeaning(word, u"【名】試験").ok()) {
      state.SkipWithError("the change was not written");
      break;
    }
    DrawTextPage(f.page, *f.font, doc, f.s, doc.LineCount(), 1);
    DrawLineNumbers(f.page, *f.font, doc.LineCount(), 1, f.s);
  }
}

long PeakResidentKiB() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmHWM:", 0) == 0)
      return std::stol(line.substr(6));
  }
  return -1;
}

// The peak resident memory of this program run in one of the two modes, in KiB. The loaded
// mode is handed the installed folder, so that it does nothing but run Kelmoa on it.
long MeasurePeakMemory(const char* self, const QString& mode) {
  QProcess p;
  p.start(QString::fromLocal8Bit(self), {QStringLiteral("--peak-memory=") + mode});
  p.waitForFinished(120000);
  return p.readAllStandardOutput().trimmed().toLong();
}

void Memory(benchmark::State& state, const char* self, const Installed& inst) {
  long bare = 0, loaded = 0;
  for (auto _ : state) {
    bare = MeasurePeakMemory(self, QStringLiteral("bare"));
    loaded = MeasurePeakMemory(self, QString::fromStdString(inst.base));
  }
  state.counters["bare_MiB"] = bare / 1024.0;
  state.counters["loaded_MiB"] = loaded / 1024.0;
  state.counters["over_MiB"] = (loaded - bare) / 1024.0;
}

// "bare": a plain Qt window of Kelmoa's size; otherwise mode is an installed base folder.
int PeakMemoryMode(const std::string& mode) {
  if (mode == "bare") {
    QWidget w;
    w.resize(561, 900);
    w.show();
    QApplication::processEvents();
    std::printf("%ld\n", PeakResidentKiB());
    return 0;
  }
  MainWindow w(ProgramPaths::FromProgramFile(mode + "/bin/Kelmoa"),
               mode + "/txt_shift_jis/prose.txt");
  w.MsgDialog().SetResponder(
      [](const QString&, MessageDialog::Buttons) { return MessageDialog::Answer::kCancel; });
  w.show();
  w.ActivateFirstTime();
  QApplication::processEvents();
  std::printf("%ld\n", PeakResidentKiB());
  return 0;
}

}  // namespace
}  // namespace kelmoa

int main(int argc, char** argv) {
  using namespace kelmoa;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  if (argc == 2 && std::string(argv[1]).rfind("--peak-memory=", 0) == 0) {
    return PeakMemoryMode(std::string(argv[1]).substr(14));
  }
  const Installed inst;
  const auto window = StartKelmoa(inst);
  ChangeFixture change(inst);
  benchmark::RegisterBenchmark("BM_PointerMoveSameWord", PointerMoveSameWord, std::ref(*window))
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_PointerMoveNewWord", PointerMoveNewWord, std::ref(*window))
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark("BM_PageRedraw", PageRedraw)->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_WordInformation", WordInformation, std::ref(change))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_DictionaryChangeFloorWriteSync", DictionaryChangeFloor,
                               std::ref(change))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_DictionaryChange", DictionaryChange, std::ref(change))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_Memory", Memory, argv[0], std::cref(inst))
      ->Iterations(1)
      ->Unit(benchmark::kSecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
