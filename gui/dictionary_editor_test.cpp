// Tests of the message box the windows ask with (its size on the screen, its answers), the
// dictionary editor's controls, and speaking a word. What an edit does to the dictionary is
// tested in the core; these check what the window shows and keeps.
#include "gui/dictionary_editor.h"

#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <functional>

#include "gui/speech.h"
#include "gui/window_fixtures_test.h"
#include "gui/window_helpers.h"

namespace kelmoa {

using Answer = MessageDialog::Answer;

class DictionaryEditorTest : public testing::WindowTest {
  Q_OBJECT

  std::unique_ptr<MainWindow> mW;
  DictionaryEditor* mEditor = nullptr;

  // The main window's editor over a small dictionary; loaded, dog's meanings come in code-unit
  // order.
  void Ready() {
    WriteDictionary({"dog\t犬", "dog\tいぬ", "run\t走る", "run\t運営する", "the\tその"});
    mW = StartMainWindow();
    mW->ActivateFirstTime();
    testing::Press(*mW, "辞書編集");
    mEditor = mW->findChild<DictionaryEditor*>();
  }
  // The word and meaning boxes follow the dictionary's name.
  QLineEdit& Box(int i) {
    return *mEditor->findChildren<QLineEdit*>(QString(), Qt::FindDirectChildrenOnly).value(i);
  }
  QListWidget& Entries() { return *mEditor->findChildren<QListWidget*>().value(0); }
  QStringList List() { return testing::Texts(Entries().findItems({}, Qt::MatchContains)); }
  void Press(const QString& caption) { testing::Press(*mEditor, caption); }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }
  void init() { Reset(MessageDialog::Answer::kOK); }
  void cleanup() {
    mW.reset();
    Empty();
  }

  // However long the message, the dialog stays within the screen: a long line is wrapped, and
  // when that is still too tall the long lines keep their beginnings and ends around a "…".
  void neverGrowsPastTheScreen() {
    QWidget parent;
    parent.setGeometry(700, 500, 600, 400);  // reaching past the screen's corner
    MessageDialog dlg(QString(), QStringLiteral("caption"), &parent);
    dlg.SetResponder([](const QString&, MessageDialog::Buttons) { return Answer::kOK; });
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    const QString path = "/home/user/" + QStringLiteral("folder-あ/").repeated(1000) + "end.txt";
    const struct {
      const char* name;
      QString msg;
      bool whole;     // every character is shown
      QString shows;  // and the label holds this
    } cases[] = {
        {"one long line", "ファイル名＝" + path.left(300), true, ""},
        {"a long path", "ファイル名＝" + path + "\r\nOK?", false, "end.txt\nOK?"},  // its name kept
        {"many lines", QStringLiteral("a line\r\n").repeated(500), false, ""},
    };
    for (const auto& c : cases) {
      dlg.Ask(&parent, c.msg, MessageDialog::Buttons::kOKCancel, {});
      const QString label = dlg.MessageLabel().text();
      QVERIFY2(room.contains(QRect(dlg.pos(), dlg.size())), c.name);
      QVERIFY2(dlg.MessageLabel().y() + dlg.MessageLabel().height() <= dlg.OKButton().y(), c.name);
      const QString joined = QString(label).remove(u'\n');
      QVERIFY2(
          c.whole ? joined == QString(c.msg).remove(u'\r').remove(u'\n') : joined.contains(u'…'),
          c.name);
      QVERIFY2(label.startsWith(c.msg.left(4)) && label.contains(c.shows), c.name);
    }
  }

  // OK answers kOK; Cancel, closing and Escape answer kCancel; the convert button, shown only
  // when offered, answers its own value.
  void eachWayOfAnsweringGivesItsValue() {
    MessageDialog dlg(QString(), QStringLiteral("caption"), nullptr);
    const auto click = [](const QPushButton& button) {
      return [&button] { QTest::mouseClick(const_cast<QPushButton*>(&button), Qt::LeftButton); };
    };
    const struct {
      const char* name;
      std::function<void()> answer;
      bool convert;
      Answer expected;
    } cases[] = {
        {"OK", click(dlg.OKButton()), false, Answer::kOK},
        {"Cancel", click(dlg.CancelButton()), false, Answer::kCancel},
        {"close", [&dlg] { dlg.close(); }, false, Answer::kCancel},
        {"Escape", [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); }, false, Answer::kCancel},
        {"convert", click(dlg.ConvertButton()), true, Answer::kConvert},
    };
    for (const auto& c : cases) {
      QTimer::singleShot(0, &dlg, [&dlg, &c] {
        QTRY_VERIFY(dlg.isVisible());
        QVERIFY2(dlg.ConvertButton().isHidden() != c.convert, c.name);
        c.answer();
      });
      QVERIFY2(dlg.Ask(nullptr, QStringLiteral("question?"), MessageDialog::Buttons::kOKCancel,
                       QString(), c.convert) == c.expected,
               c.name);
      QVERIFY2(!dlg.isVisible(), c.name);
    }
  }

  // Typing a word lists its entries. "登録" on a full disk says why and keeps the list and the
  // typed meaning; once there is room the same click lists the meaning, selected, and empties
  // the meaning box.
  void anAddThatFailsKeepsWhatWasTypedForTheNextClick() {
    testing::FailingOps disk;
    disk.failOp = "write";
    Ready();
    mW->Session().SetFileOps(disk);
    QTest::keyClicks(&Box(1), QStringLiteral("runs"));  // found through its base form
    QCOMPARE(List(), (QStringList{"run 走る", "run 運営する"}));
    Box(1).setText(QStringLiteral("zebra"));
    Box(2).setText(QStringLiteral("シマウマ"));
    Press("登録");
    QCOMPARE(mMessages.size(), 1);
    QVERIFY2(mMessages[0].endsWith("No space left on device"), qPrintable(mMessages[0]));
    QVERIFY(List().isEmpty());
    QCOMPARE(Box(2).text(), QStringLiteral("シマウマ"));

    Press("登録");
    QVERIFY(mPlain.isEmpty() && mMessages.size() == 1);
    QCOMPARE(testing::Texts(Entries().selectedItems()), QStringList{"zebra シマウマ"});
    QCOMPARE(Box(2).text(), QString());
  }

  // "削除" asks first; Cancel keeps the entry, OK removes it.
  void aDeleteAsksFirst() {
    Ready();
    mEditor->SetWord(QStringLiteral("dog"));
    Entries().setCurrentRow(1);  // dog 犬
    mAnswer = MessageDialog::Answer::kCancel;
    Press("削除");
    QCOMPARE(mMessages, QStringList{"この単語・意味を削除してよろしいですか？\n    dog 犬"});
    QCOMPARE(List().size(), 2);
    mAnswer = MessageDialog::Answer::kOK;
    Press("削除");
    QCOMPARE(List(), QStringList{"dog いぬ"});
  }

  // The word goes to the speech program as its text: never through a shell, never as one of
  // its options (which a leading dash would make it: "--" ends them first).
  void theSpeechProgramGetsTheWordAsItsTextAndNeverAShell() {
    const std::string program = mDir / "espeak-ng", said = mDir / "said.txt";
    testing::WriteScript(program, "printf '%s\\n' \"$#\" \"$@\" > '" + said + ".tmp'\nmv '" + said +
                                      ".tmp' '" + said + "'");
    WordSpeaker speaker(QString::fromStdString(program));
    const std::pair<QString, std::string> words[] = {
        {"it's", "1\nit's\n"},
        {"-x", "2\n--\n-x\n"},
        {"\"a b\" $(touch pwned)", "1\n\"a b\" $(touch pwned)\n"},
    };
    for (const auto& [word, args] : words) {
      QVERIFY(speaker.SpeakWord(word));
      QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(said), 10000);
      QCOMPARE(testing::ReadBytes(said), args);
      std::filesystem::remove(said);
    }
    QTest::qWait(200);  // a run too many would show up now
    QVERIFY(!std::filesystem::exists(said) && !std::filesystem::exists("pwned") &&
            !std::filesystem::exists(mDir / "pwned"));
    speaker.SetProgram(QString::fromStdString(mDir / "no-such-program"));
    QVERIFY(!speaker.SpeakWord(QStringLiteral("silent")));
  }

  // A speech program that is missing, ends with an error, or says "error:" (as espeak-ng does
  // without a sound device, still ending with 0) is said once, with the package to look at;
  // one whose error output holds only warnings says nothing.
  void aSpeechFailureIsSaidOnce() {
    const std::pair<std::string, QString> cases[] = {
        {"", "を起動できません（プログラムが見つかりません）"},
        {"exit 3", "失敗しました（終了コード 3）"},
        {"echo 'ALSA lib pcm.c: Unknown PCM default' >&2; echo 'error: No such file' >&2",
         "失敗しました（error: No such file）"},
        {"echo 'ALSA lib: a warning' >&2", {}},
    };
    int n = 0;
    for (const auto& [script, says] : cases) {
      const std::string program = mDir / ("speak" + std::to_string(n++));
      if (!script.empty())
        testing::WriteScript(program, script);
      QObject owner;
      QStringList said;
      WordSpeaker speaker(QString::fromStdString(program));
      speaker.SetFailureReport(owner, [&said](const QString& text) { said << text; });
      speaker.SpeakWord(QStringLiteral("dog"));
      speaker.SpeakWord(QStringLiteral("cat"));
      const qsizetype once = says.isEmpty() ? 0 : 1;
      QTRY_COMPARE_WITH_TIMEOUT(said.size(), once, 10000);
      QTest::qWait(300);  // the second word's end has come too, and is not said again
      QCOMPARE(said.size(), once);
      QVERIFY2(once == 0 || (said[0].contains(says) && said[0].contains("パッケージ espeak-ng")),
               qPrintable(said.join('\n')));
    }
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::DictionaryEditorTest)
#include "dictionary_editor_test.moc"
