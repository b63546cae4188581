// Benchmarks of 単語帳 with a large word list: opening it, a key typed into its filter, and a
// word added by a middle click while it shows. Runs on the offscreen platform, on an installed
// folder whose word list holds 100,000 words (each with its head word, three meanings and
// one context), written straight into the database in one transaction.
//
//   kelmoa_word_list_bench [benchmark flags]   all cases
//   kelmoa_word_list_bench --peak-memory=BASE       prints the peak resident memory (KiB) of
//                                                   Kelmoa on BASE before and after 単語帳
//                                                   opens
//   kelmoa_word_list_bench --peak-memory-read=BASE  the same around reading the list alone
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <unistd.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QProcess>
#include <QPushButton>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "bench/start_kelmoa.h"
#include "core/base/codepage.h"
#include "core/base/paths.h"
#include "core/text/layout.h"
#include "core/wordlist/word_list.h"
#include "gui/main_window.h"
#include "gui/message_dialog.h"
#include "gui/picture_box.h"
#include "gui/text_view.h"
#include "gui/window_helpers.h"
#include "gui/word_list_window.h"

namespace kelmoa {
namespace {

constexpr int kWords = 100000;

// A word of the list: four syllables, so that a letter typed into the filter keeps a part of
// the list as English letters do (e: about two thirds).
std::string ListWord(int i) {
  static const char* const kSyllables[] = {"ba", "con", "de", "ex",  "for", "gra", "in",
                                           "lo", "mi",  "na", "or",  "pre", "qu",  "re",
                                           "st", "tu",  "un", "ver", "wa",  "ly"};
  std::string word;
  for (int v = i, n = 0; n < 4; v /= 20, ++n)
    word += kSyllables[v % 20];
  return word;
}

// A base folder laid out as installed, with a small dictionary, a text of the dictionary's
// words and a word list of kWords words.
struct Installed {
  std::string base;
  std::string text;

  Installed() {
    std::string tmpl =
        (std::filesystem::temp_directory_path() / "kelmoa-word-list-bench-XXXXXX").string();
    base = ::mkdtemp(tmpl.data());
    for (const char* d : {"bin", "dic", "dic_backup", "txt_shift_jis"})
      std::filesystem::create_directories(base + "/" + d);
    std::ofstream(base + "/dic/Dic_EJ.txt", std::ios::binary) << Utf16ToSjis(
        u"cat\t①【名】猫(ねこ)\r\ndog\t①【名】犬(いぬ)\r\n"
        u"read\t①【他】読む(よむ)\r\ntea\t①【名】茶(ちゃ)\r\n");
    text = base + "/txt_shift_jis/short.txt";
    std::ofstream(text, std::ios::binary) << "The dog and the cat read.\r\nA cat, a dog, tea.\r\n";
    if (!FillWordList()) {
      std::fprintf(stderr, "The word list could not be written\n");
      std::exit(1);
    }
  }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;
  ~Installed() {
    std::error_code ec;
    std::filesystem::remove_all(base, ec);
  }

  // Makes the list as Kelmoa does, then writes the words into its tables at once: adding them
  // one by one would take a synced transaction each.
  bool FillWordList() const {
    std::unique_ptr<WordList> list;
    if (!WordList::Open(base, list).ok())
      return false;
    list.reset();
    sqlite3* db = nullptr;
    if (sqlite3_open(WordListPath(base).c_str(), &db) != SQLITE_OK)
      return false;
    bool ok = sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) == SQLITE_OK;
    const char* const sql[] = {
        "INSERT INTO words (id, word_key, word, count, first_added, last_added) "
        "VALUES (?1, ?2, ?2, ?3, ?4, ?4)",
        "INSERT INTO head_words (word_id, position, head_word) VALUES (?1, 1, ?2)",
        "INSERT INTO meanings (word_id, position, meaning) VALUES (?1, ?3, ?5)",
        "INSERT INTO contexts (word_id, line_before, line, line_after, word_column, "
        "word_length, file, line_number, added) VALUES (?1, '', ?6, '', 5, length(?2), "
        "'/home/reader/kelmoa/txt_shift_jis/a-long-story.txt', ?3, ?4)",
    };
    std::vector<sqlite3_stmt*> statements;
    for (const char* s : sql) {
      sqlite3_stmt* st = nullptr;
      ok = ok && sqlite3_prepare_v2(db, s, -1, &st, nullptr) == SQLITE_OK;
      statements.push_back(st);
    }
    const char* const meanings[] = {"①【名】試験(しけん)、テスト", "②【他】読み取る、解釈する",
                                    "③【形】新しい、最近の"};
    for (int i = 1; ok && i <= kWords; ++i) {
      const std::string word = ListWord(i);
      char added[32];
      std::snprintf(added, sizeof added, "2026-%02d-%02dT%02d:%02d:%02dZ", 1 + i % 12, 1 + i % 28,
                    i % 24, i % 60, (i / 7) % 60);
      const std::string line =
          "The reader met the word " + word + " in a sentence of a long text, and kept it.";
      for (size_t s = 0; s < statements.size(); ++s) {
        for (int m = 1; m <= (s == 2 ? 3 : 1); ++m) {
          sqlite3_stmt* st = statements[s];
          sqlite3_bind_int(st, 1, i);
          sqlite3_bind_text(st, 2, word.c_str(), -1, SQLITE_TRANSIENT);
          sqlite3_bind_int(st, 3, s == 2 ? m : 1 + i % 5);
          sqlite3_bind_text(st, 4, added, -1, SQLITE_TRANSIENT);
          sqlite3_bind_text(st, 5, meanings[m - 1], -1, SQLITE_STATIC);
          sqlite3_bind_text(st, 6, line.c_str(), -1, SQLITE_TRANSIENT);
          ok = ok && sqlite3_step(st) == SQLITE_DONE;
          sqlite3_reset(st);
        }
      }
    }
    for (sqlite3_stmt* st : statements)
      sqlite3_finalize(st);
    ok = ok && sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
  }
};

QPushButton& WordListButton(MainWindow& w) {
  for (QPushButton* button : w.findChildren<QPushButton*>()) {
    if (button->text() == QStringLiteral("単語帳"))
      return *button;
  }
  std::fprintf(stderr, "no 単語帳 button\n");
  std::exit(1);
}

// Opens 単語帳 and lets it draw itself.
WordListWindow& OpenWordList(MainWindow& w) {
  WordListButton(w).click();
  QApplication::processEvents();
  return *w.findChild<WordListWindow*>();
}

void Open(benchmark::State& state, MainWindow& w) {
  for (auto _ : state) {
    WordListWindow& list = OpenWordList(w);
    state.PauseTiming();
    list.close();
    QApplication::processEvents();
    state.ResumeTiming();
  }
}

// What the window cannot go below: reading the list (its words freed untimed, as the window
// frees them when it is closed).
void OpenFloorRead(benchmark::State& state, const std::string& base) {
  std::unique_ptr<WordList> list;
  if (!WordList::Open(base, list).ok()) {
    state.SkipWithError("the list could not be opened");
    return;
  }
  for (auto _ : state) {
    std::vector<WordEntry> entries;
    if (!list->Entries(entries, ContextsRead::kNewestPlace).ok())
      state.SkipWithError("the list could not be read");
    state.PauseTiming();
    std::vector<WordEntry>().swap(entries);
    state.ResumeTiming();
  }
}

void TypeKey(QLineEdit& box, Qt::Key key, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
  QApplication::sendEvent(&box, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
  QApplication::sendEvent(&box, &release);
  QApplication::processEvents();
}

// "e" typed into the empty filter box (two thirds of the words stay), and Backspace.
void FilterKey(benchmark::State& state, MainWindow& w, bool clearing) {
  QLineEdit& box = *OpenWordList(w).findChild<QLineEdit*>();
  for (auto _ : state) {
    if (clearing) {
      state.PauseTiming();
      TypeKey(box, Qt::Key_E, QStringLiteral("e"));
      state.ResumeTiming();
      TypeKey(box, Qt::Key_Backspace, QString());
    } else {
      TypeKey(box, Qt::Key_E, QStringLiteral("e"));
      state.PauseTiming();
      TypeKey(box, Qt::Key_Backspace, QString());
      state.ResumeTiming();
    }
  }
  w.findChild<WordListWindow*>()->close();
}

// A middle click on a word of the text while 単語帳 shows: the word joins the list, the window
// shows it.
void Capture(benchmark::State& state, MainWindow& w) {
  OpenWordList(w);
  const WordTable& t = w.Document().words;
  const PageGeometry geometry = PageGeometry::Of(w.Setting());
  std::vector<QPointF> known;
  for (int k = 1; k <= t.Count(); ++k) {
    const auto ki = static_cast<size_t>(k);
    if (!t.DicHits(k).empty())
      known.emplace_back((t.mWordX1[ki] + t.mWordX2[ki]) / 2.0,
                         geometry.LineTop(t.mWordLine[ki], 1) + 3);
  }
  if (known.empty()) {
    state.SkipWithError("the text has no known word");
    return;
  }
  PictureBox& pane = w.View().Pane();
  size_t i = 0;
  for (auto _ : state) {
    const QPointF at = known[i++ % known.size()];
    QMouseEvent press(QEvent::MouseButtonPress, at, pane.mapToGlobal(at), Qt::MiddleButton,
                      Qt::MiddleButton, Qt::NoModifier);
    QApplication::sendEvent(&pane, &press);
    QApplication::processEvents();
  }
  w.findChild<WordListWindow*>()->close();
}

// What a capture cannot go below: the word written into the list (a synced transaction).
void CaptureFloorAdd(benchmark::State& state, const std::string& base) {
  std::unique_ptr<WordList> list;
  if (!WordList::Open(base, list).ok()) {
    state.SkipWithError("the list could not be opened");
    return;
  }
  WordCapture capture;
  capture.word = u"dog";
  capture.headWords = {u"dog"};
  capture.meanings = {u"①【名】犬(いぬ)"};
  capture.context.line = u"The dog and the cat read.";
  capture.context.column = 5;
  capture.context.length = 3;
  capture.context.file = base + "/txt_shift_jis/short.txt";
  capture.context.lineNumber = 1;
  for (auto _ : state) {
    capture.context.added = IsoUtc(std::time(nullptr));
    if (!list->Add(capture).ok())
      state.SkipWithError("the word was not added");
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

// Kelmoa on base, its peak resident memory before and after 単語帳 opens, in KiB; or, with
// readOnly, the same around reading the list alone.
int PeakMemoryMode(const std::string& base, bool readOnly) {
  const auto w = StartKelmoaAt(base, base + "/txt_shift_jis/short.txt");
  std::unique_ptr<WordList> list;
  std::vector<WordEntry> entries;
  if (readOnly && !WordList::Open(base, list).ok())
    return 1;
  const long before = PeakResidentKiB();
  if (readOnly)
    (void)list->Entries(entries, ContextsRead::kNewestPlace);
  else
    OpenWordList(*w);
  std::printf("%ld %ld\n", before, PeakResidentKiB());
  return 0;
}

// The peaks (MiB) a run of this program prints in a peak memory mode.
QStringList MeasurePeaks(const char* self, const QString& mode, const std::string& base) {
  QProcess p;
  p.start(QString::fromLocal8Bit(self), {mode + QString::fromStdString(base)});
  p.waitForFinished(120000);
  return QString::fromLocal8Bit(p.readAllStandardOutput()).trimmed().split(u' ');
}

void Memory(benchmark::State& state, const char* self, const std::string& base) {
  QStringList window, read;
  for (auto _ : state) {
    window = MeasurePeaks(self, QStringLiteral("--peak-memory="), base);
    read = MeasurePeaks(self, QStringLiteral("--peak-memory-read="), base);
  }
  const auto mib = [](const QStringList& peaks, int i) { return peaks.value(i).toDouble() / 1024; };
  state.counters["before_MiB"] = mib(window, 0);
  state.counters["over_MiB"] = mib(window, 1) - mib(window, 0);
  state.counters["read_over_MiB"] = mib(read, 1) - mib(read, 0);
}

}  // namespace
}  // namespace kelmoa

int main(int argc, char** argv) {
  using namespace kelmoa;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  RegisterFontSubstitutions();
  const std::string mode = argc == 2 ? argv[1] : "";
  if (mode.rfind("--peak-memory=", 0) == 0)
    return PeakMemoryMode(mode.substr(14), false);
  if (mode.rfind("--peak-memory-read=", 0) == 0)
    return PeakMemoryMode(mode.substr(19), true);
  const Installed inst;
  const auto window = StartKelmoaAt(inst.base, inst.text);
  benchmark::RegisterBenchmark("BM_WordListOpen", Open, std::ref(*window))
      ->Unit(benchmark::kMillisecond)
      ->Iterations(2);
  benchmark::RegisterBenchmark("BM_WordListOpenFloorRead", OpenFloorRead, inst.base)
      ->Unit(benchmark::kMillisecond)
      ->Iterations(2);
  benchmark::RegisterBenchmark("BM_WordListFilterKey", FilterKey, std::ref(*window), false)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_WordListFilterClear", FilterKey, std::ref(*window), true)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_WordListCapture", Capture, std::ref(*window))
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_WordListCaptureFloorAdd", CaptureFloorAdd, inst.base)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark("BM_WordListMemory", Memory, argv[0], inst.base)
      ->Iterations(1)
      ->Unit(benchmark::kSecond);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
