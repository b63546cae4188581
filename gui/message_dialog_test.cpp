#include "gui/message_dialog.h"

#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSoundEffect>
#include <QTest>
#include <QTimer>

#include "gui/window_helpers.h"

namespace kelmoa {

class MessageDialogTest : public QObject {
  Q_OBJECT

  // Shows the dialog for real and has `answer` press or close it from inside the modal loop.
  template <typename Fn>
  static int ShowAndAnswer(MessageDialog& dlg, int btn, Fn answer) {
    QTimer::singleShot(0, &dlg, [&dlg, answer] {
      QTRY_VERIFY(dlg.isVisible());
      answer();
    });
    return dlg.Ask(nullptr, QStringLiteral("question?"), btn, QString());
  }

 private slots:
  void initTestCase() { RegisterFontSubstitutions(); }

  // However long the message, the dialog stays within the screen: a long line is wrapped, and
  // when that is still too tall the long lines keep their beginnings and ends around a "…".
  void neverGrowsPastTheScreen() {
    QWidget parent;
    parent.setGeometry(700, 500, 600, 400);  // reaching past the screen's corner
    MessageDialog dlg(QString(), QStringLiteral("caption"), &parent);
    QString shownToUser;
    dlg.SetResponder([&](const QString& msg, int) {
      shownToUser = msg;
      return MessageDialog::kOK;
    });
    const QRect room = QGuiApplication::primaryScreen()->availableGeometry();
    QString path = QStringLiteral("/home/user/");
    while (path.size() < 10000)
      path += QStringLiteral("folder-あ/");
    path += QStringLiteral("end.txt");
    QString manyLines;
    for (int i = 0; i < 500; ++i)
      manyLines += QStringLiteral("line %1\r\n").arg(i);
    const struct {
      QString msg;
      bool whole;  // every character is shown
    } cases[] = {
        {QStringLiteral("ファイル名＝") + path.left(300), true},
        {QStringLiteral("このテキストファイルを開けませんでした。\r\n    ファイル名＝") + path +
             QStringLiteral("\r\n    理由＝ファイルが見つかりません"),
         false},
        {manyLines, false},
        {path + QStringLiteral("\r\n") + path, false},
    };
    for (const auto& c : cases) {
      dlg.Ask(&parent, c.msg, 1, {});
      QCOMPARE(shownToUser, QString(c.msg).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
      const QString label = dlg.MessageLabel().text();
      QVERIFY(dlg.width() <= room.width());
      QVERIFY(dlg.height() + 30 <= room.height());
      QVERIFY(room.contains(QRect(dlg.pos(), dlg.size())));
      QVERIFY(dlg.MessageLabel().width() + 8 <= dlg.width());
      QVERIFY(dlg.MessageLabel().y() + dlg.MessageLabel().height() <= dlg.OKButton().y());
      QString joined = label;
      joined.remove(u'\n');
      if (c.whole) {
        QCOMPARE(joined, QString(c.msg).remove(u'\n').remove(u'\r'));
        QVERIFY(label.count(u'\n') >= 1);  // wrapped
      } else {
        QVERIFY(joined.contains(u'…'));
      }
      // The beginning and the end stay in sight.
      QVERIFY(label.startsWith(c.msg.left(4)));
      QVERIFY(joined.endsWith(QString(c.msg).remove(u'\r').remove(u'\n').right(4)) ||
              joined.endsWith(u'…'));
    }
    // The path's file name is still shown at the end of its line.
    dlg.Ask(&parent, QStringLiteral("ファイル名＝") + path + QStringLiteral("\r\nOK?"), 1,
                   {});
    QVERIFY(dlg.MessageLabel().text().contains(QStringLiteral("end.txt\nOK?")));
  }

  void answersOneForOkAndTwoForCancelOrClosing() {
    MessageDialog dlg(QStringLiteral("/nonexistent-folder"), QStringLiteral("caption"), nullptr);
    auto* ok = const_cast<QPushButton*>(&dlg.OKButton());
    auto* cancel = const_cast<QPushButton*>(&dlg.CancelButton());
    QCOMPARE(ShowAndAnswer(dlg, 1, [ok] { QTest::mouseClick(ok, Qt::LeftButton); }), MessageDialog::kOK);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ShowAndAnswer(dlg, 1, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); }),
             MessageDialog::kCancel);
    QCOMPARE(ShowAndAnswer(dlg, 1, [ok] { QTest::mouseClick(ok, Qt::LeftButton); }), MessageDialog::kOK);
    // Closing through the frame after an OK still answers Cancel.
    QCOMPARE(ShowAndAnswer(dlg, 1, [&dlg] { dlg.close(); }), MessageDialog::kCancel);
    QCOMPARE(ShowAndAnswer(dlg, 0, [&dlg] { QTest::keyClick(&dlg, Qt::Key_Escape); }),
             MessageDialog::kCancel);
    // A sound file that is not there plays nothing and reports nothing.
    dlg.SetResponder([](const QString&, int) { return MessageDialog::kOK; });
    QCOMPARE(dlg.Ask(nullptr, QStringLiteral("m"), 0, QStringLiteral("notify.wav")),
             MessageDialog::kOK);
    QVERIFY(dlg.findChildren<QSoundEffect*>().isEmpty());
  }

  // The convert button shows only when offered, in one row with the others; clicking it
  // answers its own value, and an answer of it when not offered counts as Cancel.
  void theConvertButtonJoinsTheRowOnlyWhenOffered() {
    MessageDialog dlg(QString(), QStringLiteral("caption"), nullptr);
    dlg.SetResponder([](const QString&, int) { return MessageDialog::kConvert; });
    QCOMPARE(dlg.Ask(nullptr, QStringLiteral("question?"), 1, {}), MessageDialog::kCancel);
    QVERIFY(dlg.ConvertButton().isHidden());
    QCOMPARE(dlg.Ask(nullptr, QStringLiteral("question?"), 1, {}, true), MessageDialog::kConvert);
    QVERIFY(!dlg.ConvertButton().isHidden());
    QCOMPARE(dlg.ConvertButton().y(), dlg.OKButton().y());
    QVERIFY(!dlg.ConvertButton().geometry().intersects(dlg.CancelButton().geometry()));

    MessageDialog shown(QString(), QStringLiteral("caption"), nullptr);
    auto* convert = const_cast<QPushButton*>(&shown.ConvertButton());
    QTimer::singleShot(0, &shown, [&shown, convert] {
      QTRY_VERIFY(shown.isVisible());
      QTest::mouseClick(convert, Qt::LeftButton);
    });
    QCOMPARE(shown.Ask(nullptr, QStringLiteral("question?"), 1, QString(), true),
             MessageDialog::kConvert);
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MessageDialogTest)
#include "message_dialog_test.moc"
