// Tests of the dictionary editor's controls, and of speaking a word.
#include "gui/dictionary_editor.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <cerrno>
#include <filesystem>
#include <iterator>
#include <set>

#include "core/base/codepage.h"
#include "core/base/file_ops.h"
#include "core/base/fixtures_test.h"
#include "core/text/reading_session.h"
#include "gui/message_dialog.h"
#include "gui/speech.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

namespace kelmoa {
namespace {

namespace fs = std::filesystem;
using testing::ReadBytes;
using testing::SjisLines;
using testing::WriteBytes;

// A file system whose writes fail as on a full disk while `full` is set.
class FullDisk : public FileOps {
 public:
  bool full = false;
  Status WriteTemporary(const std::string& dir, const std::string& name, std::string_view bytes,
                        const std::optional<KeptMode>& mode, std::string& tmpPath) override {
    if (full)
      return Status::FromErrno("write", dir + "/" + name, ENOSPC);
    return FileOps::WriteTemporary(dir, name, bytes, mode, tmpPath);
  }
};

// The dictionary the tests start from; loaded, dog's meanings come back in
// code-unit order: いぬ, 犬.
const std::vector<std::string> kDic = {"dog\t犬", "dog\tいぬ", "run\t走る", "run\t運営する",
                                       "the\tその"};

}  // namespace

// The dictionary editor over a reading session on a temporary base folder; the test answers
// the message dialog and the plain message box.
class DictionaryEditorTest : public QObject {
  Q_OBJECT

  testing::TempDir mDir;
  QStringList mMessages;       // the message dialog
  QStringList mPlainMessages;  // the plain message box
  MessageDialog::Answer mAnswer = MessageDialog::Answer::kOK;
  std::unique_ptr<MessageDialog> mDialog;
  std::unique_ptr<ReadingSession> mSession;
  std::unique_ptr<DictionaryEditor> mEditor;

  // The editor on the small dictionary.
  DictionaryEditor& Ready() {
    WriteBytes(mDir / "dic/Dic_EJ.txt", SjisLines(kDic));
    mSession = std::make_unique<ReadingSession>(mDir.path());
    (void)mSession->LoadDictionary();
    mDialog = std::make_unique<MessageDialog>(QString(), QStringLiteral("Kelmoa"), nullptr);
    mDialog->SetResponder([this](const QString& msg, MessageDialog::Buttons) {
      mMessages << msg;
      return mAnswer;
    });
    mEditor = std::make_unique<DictionaryEditor>(
        *mSession, *mDialog, [this](const QString& text, QWidget*) { mPlainMessages << text; },
        nullptr);
    return *mEditor;
  }
  DictionaryEditor& E() { return *mEditor; }
  // The editor's boxes and lists as a user finds them: the word and meaning boxes follow the
  // dictionary's name, the entry list comes before the tag list.
  QLineEdit* WordBox() { return LineEdits().value(1); }
  QLineEdit* MeaningBox() { return LineEdits().value(2); }
  QListWidget* EntryList() { return E().findChildren<QListWidget*>().value(0); }
  QList<QLineEdit*> LineEdits() {
    return E().findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly);
  }
  QPushButton* Button(const QString& caption) { return testing::Button(E(), caption); }

  QStringList List() { return Texts(EntryList()->findItems({}, Qt::MatchContains)); }
  QStringList Selected() { return Texts(EntryList()->selectedItems()); }
  static QStringList Texts(const QList<QListWidgetItem*>& items) {
    QStringList lines;
    for (const QListWidgetItem* item : items)
      lines << item->text();
    return lines;
  }
  size_t Backups() const {
    const fs::directory_iterator folder(mDir / "dic_backup");
    return static_cast<size_t>(std::distance(fs::begin(folder), fs::end(folder)));
  }
  void Type(const QString& word, const QString& meaning) {
    WordBox()->setText(word);
    MeaningBox()->setText(meaning);
  }
  // A stand-in for the speech program on PATH: every run leaves a file holding its argument
  // count and then each argument on a line of its own.
  std::string FakeSpeechProgram() {
    const std::string bin = mDir / "fakebin";
    fs::create_directories(bin);
    fs::create_directories(mDir / "spoken");
    const std::string script = bin + "/espeak-ng";
    WriteBytes(script, "#!/bin/sh\nout=\"" + mDir / "spoken" +
                           "/$$\"\n{ echo \"$#\"; for a in \"$@\"; do printf '%s\\n' \"$a\"; "
                           "done; } > \"$out.tmp\" && mv \"$out.tmp\" \"$out.txt\"\n");
    fs::permissions(script, fs::perms::owner_all);
    return bin;
  }
  // What the fake speech program was given, one entry per run, once `runs` runs have ended.
  std::multiset<std::string> Spoken(size_t runs) {
    std::multiset<std::string> got;
    const auto collect = [&] {
      got.clear();
      for (const auto& entry : fs::directory_iterator(mDir / "spoken")) {
        if (entry.path().extension() == ".txt")
          got.insert(ReadBytes(entry.path()));
      }
      return got.size() >= runs;
    };
    (void)QTest::qWaitFor(collect, 10000);  // too few runs show in the caller's comparison
    QTest::qWait(200);                      // a run too many would show up now
    collect();
    return got;
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

  void init() {
    testing::MakeDataFolders(mDir.path());
    mMessages.clear();
    mPlainMessages.clear();
    mAnswer = MessageDialog::Answer::kOK;
  }

  void cleanup() {
    mEditor.reset();
    mSession.reset();
    for (const auto& entry : fs::directory_iterator(mDir.path()))
      fs::remove_all(entry.path());
  }

  // Typing a word lists its entries; "登録" adds the meaning through the session, lists and
  // selects it, empties the meaning box, and the session knows the word.
  void anAddThroughTheControlsIsListedAndSelected() {
    Ready();
    QTest::keyClicks(WordBox(), QStringLiteral("runs"));  // found through its base form
    QCOMPARE(List(), (QStringList{"run 走る", "run 運営する"}));
    WordBox()->clear();
    Type("zebra", "シマウマ");
    Button("登録")->click();
    QVERIFY(mPlainMessages.isEmpty() && mMessages.isEmpty());
    QCOMPARE(Selected(), QStringList{"zebra シマウマ"});
    QCOMPARE(MeaningBox()->text(), QString());
    QCOMPARE(Backups(), 1u);
  }

  // "削除" asks first; Cancel keeps the entry, OK removes it from the list and the file.
  void aDeleteThroughTheControlsAsksAndRemoves() {
    DictionaryEditor& e = Ready();
    e.SetWord(QStringLiteral("dog"));
    EntryList()->setCurrentRow(1);  // dog 犬
    mAnswer = MessageDialog::Answer::kCancel;
    Button("削除")->click();
    QCOMPARE(mMessages, QStringList{"この単語・意味を削除してよろしいですか？\n    dog 犬"});
    QCOMPARE(List().size(), 2);
    QCOMPARE(Backups(), 0u);

    mAnswer = MessageDialog::Answer::kOK;
    Button("削除")->click();
    QCOMPARE(List(), QStringList{"dog いぬ"});
    QCOMPARE(Backups(), 1u);
  }

  // A write that fails (a full disk) is shown in a message; the list and the typed meaning
  // stay as they were, and the same click goes through once there is room.
  void aFailedWriteIsShownAndTheWindowStaysAsItWas() {
    FullDisk disk;
    Ready();
    mSession->SetFileOps(disk);
    disk.full = true;
    Type("zebra", "シマウマ");
    Button("登録")->click();
    QCOMPARE(mMessages.size(), 1);
    QVERIFY2(mMessages[0].endsWith("No space left on device"), qPrintable(mMessages[0]));
    QVERIFY(List().isEmpty());
    QCOMPARE(MeaningBox()->text(), QStringLiteral("シマウマ"));

    disk.full = false;
    Button("登録")->click();
    QCOMPARE(List(), QStringList{"zebra シマウマ"});
  }

  // The word goes to the speech program as its text: never through a shell, never as one of
  // its options.
  void theSpeechProgramGetsTheWordAsItsTextAndNeverAShell() {
    const std::string bin = FakeSpeechProgram();
    WordSpeaker speaker(QString::fromStdString(bin + "/espeak-ng"));
    QVERIFY(speaker.SpeakWord(QStringLiteral("it's")));
    QCOMPARE(Spoken(1), std::multiset<std::string>{"1\nit's\n"});
    // A leading dash would be read as one of the program's options: "--" ends them first.
    QVERIFY(speaker.SpeakWord(QStringLiteral("-x")));
    QVERIFY(speaker.SpeakWord(QStringLiteral("\"a b\" $(touch pwned)")));
    QCOMPARE(Spoken(3), (std::multiset<std::string>{"1\nit's\n", "2\n--\n-x\n",
                                                    "1\n\"a b\" $(touch pwned)\n"}));
    QVERIFY(!fs::exists("pwned") && !fs::exists(bin + "/pwned"));

    speaker.SetProgram(QString::fromStdString(mDir / "no-such-program"));
    QVERIFY(!speaker.SpeakWord(QStringLiteral("silent")));  // and nothing else happens
    QCOMPARE(WordSpeaker().Program(), QStringLiteral("espeak-ng"));
  }

  // A speech program that is missing, ends with an error, or says "error:" (as espeak-ng does
  // without a sound device, still ending with 0) is said once, with the package to look at;
  // one whose error output holds only warnings says nothing.
  void aSpeechFailureIsSaidOnce() {
    fs::create_directories(mDir / "fakebin");
    const struct {
      const char* script;  // of the speech program; empty for none
      QString says;        // a part of what is said; empty for nothing
    } cases[] = {
        {"", QStringLiteral("を起動できません（プログラムが見つかりません）")},
        {"exit 3", QStringLiteral("失敗しました（終了コード 3）")},
        {"echo 'ALSA lib pcm.c: Unknown PCM default' >&2\necho 'error: No such file or "
         "directory' >&2",
         QStringLiteral("失敗しました（error: No such file or directory）")},
        {"echo 'ALSA lib: a warning' >&2", QString()},
    };
    int n = 0;
    for (const auto& c : cases) {
      const std::string program = mDir / ("fakebin/speak" + std::to_string(n++));
      if (*c.script != '\0') {
        WriteBytes(program, std::string("#!/bin/sh\n") + c.script + "\n");
        fs::permissions(program, fs::perms::owner_all);
      }
      QObject owner;
      QStringList said;
      WordSpeaker speaker(QString::fromStdString(program));
      speaker.SetFailureReport(owner, [&said](const QString& text) { said << text; });
      speaker.SpeakWord(QStringLiteral("dog"));
      speaker.SpeakWord(QStringLiteral("cat"));
      QTRY_COMPARE_WITH_TIMEOUT(said.size(), c.says.isEmpty() ? 0 : 1, 10000);
      QTest::qWait(300);  // the second word's end has come too, and is not said again
      QCOMPARE(said.size(), c.says.isEmpty() ? 0 : 1);
      if (!said.isEmpty()) {
        QVERIFY2(
            said[0].contains(c.says) && said[0].contains(QStringLiteral("パッケージ espeak-ng")),
            qPrintable(said[0]));
      }
    }
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::DictionaryEditorTest)
#include "dictionary_editor_test.moc"
