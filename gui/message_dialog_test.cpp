// Tests of the message box: its size on the screen and its answers.
#include "gui/message_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <functional>

#include "gui/window_helpers.h"

namespace kelmoa {

using Answer = MessageDialog::Answer;

class MessageDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

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
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MessageDialogTest)
#include "message_dialog_test.moc"
