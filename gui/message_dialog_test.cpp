// Window tests of the message box: sizing, buttons and answers.
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

  void sizesItselfToTheMessageAndLaysOutItsButtons() {
    MessageDialog dlg(QString(), QStringLiteral("ケルモア Kelmoa"), nullptr);
    dlg.SetResponder([](const QString&, int) { return MessageDialog::kOK; });
    QVERIFY(dlg.windowFlags().testFlag(Qt::WindowStaysOnTopHint) && dlg.isModal());

    dlg.Ask(nullptr, QStringLiteral("a message long enough for both of the buttons"), 0, {});
    const QLabel& lbl = dlg.MessageLabel();
    QCOMPARE(lbl.pos(), QPoint(8, 8));
    QCOMPARE(dlg.width(), 8 + lbl.width() + 10);
    QVERIFY(dlg.CancelButton().isHidden());
    QCOMPARE(dlg.OKButton().geometry(), QRect((dlg.width() - 73) / 2, dlg.height() - 30, 73, 25));
    const int oneLine = dlg.height();

    dlg.Ask(nullptr, QStringLiteral("one\r\ntwo\r\nthree\r\nfour\r\nfive"), 1, {});
    QCOMPARE(lbl.text(), QStringLiteral("one\ntwo\nthree\nfour\nfive"));
    QVERIFY(qAbs(dlg.height() - oneLine - 4 * lbl.fontMetrics().lineSpacing()) <= 4);
    // The pair is centred, 2 pixels apart; a narrow dialog lets them overhang its edges.
    QVERIFY(!dlg.CancelButton().isHidden());
    QCOMPARE(dlg.OKButton().x(), (dlg.width() - 146) / 2);
    QVERIFY(dlg.OKButton().x() < 0);
    QCOMPARE(dlg.CancelButton().pos(), dlg.OKButton().pos() + QPoint(75, 0));
  }

  void standsInTheUpperPartOfItsParent() {
    QWidget parent;
    parent.setGeometry(100, 50, 600, 800);
    MessageDialog dlg(QString(), QStringLiteral("caption"), &parent);
    dlg.SetResponder([](const QString&, int) { return MessageDialog::kOK; });
    dlg.Ask(&parent, QStringLiteral("message"), 0, QString());
    const QRect p = parent.frameGeometry();
    const int outerHeight = dlg.MessageLabel().height() + 8 + 80;  // the caption bar counted in
    QCOMPARE(dlg.pos(), QPoint(qRound(p.x() + (p.width() - dlg.width()) / 2.0),
                               qRound(p.y() + (p.height() - outerHeight) / 8.0)));
  }

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
    dlg.Ask(&parent, QStringLiteral("ファイル名＝") + path + QStringLiteral("\r\nOK?"), 1, {});
    QVERIFY(dlg.MessageLabel().text().contains(QStringLiteral("end.txt\nOK?")));
  }

  void answersOneForOkAndTwoForCancelOrClosing() {
    MessageDialog dlg(QStringLiteral("/nonexistent-folder"), QStringLiteral("caption"), nullptr);
    auto* ok = const_cast<QPushButton*>(&dlg.OKButton());
    auto* cancel = const_cast<QPushButton*>(&dlg.CancelButton());
    QCOMPARE(ShowAndAnswer(dlg, 1, [ok] { QTest::mouseClick(ok, Qt::LeftButton); }),
             MessageDialog::kOK);
    QVERIFY(!dlg.isVisible());
    QCOMPARE(ShowAndAnswer(dlg, 1, [cancel] { QTest::mouseClick(cancel, Qt::LeftButton); }),
             MessageDialog::kCancel);
    QCOMPARE(ShowAndAnswer(dlg, 1, [ok] { QTest::mouseClick(ok, Qt::LeftButton); }),
             MessageDialog::kOK);
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

  void theConvertButtonJoinsTheRowOnlyWhenOffered() {
    MessageDialog dlg(QString(), QStringLiteral("caption"), nullptr);
    dlg.SetResponder([](const QString&, int) { return MessageDialog::kConvert; });
    const QString msg = QStringLiteral("a message long enough for all three of the buttons here");
    // Not offered: the button stays hidden, and an answer of it counts as Cancel.
    QCOMPARE(dlg.Ask(nullptr, msg, 1, {}), MessageDialog::kCancel);
    QVERIFY(dlg.ConvertButton().isHidden());
    const QRect twoOk = dlg.OKButton().geometry();

    QCOMPARE(dlg.Ask(nullptr, msg, 1, {}, true), MessageDialog::kConvert);
    QVERIFY(!dlg.ConvertButton().isHidden() && !dlg.CancelButton().isHidden());
    QCOMPARE(dlg.ConvertButton().text(), QStringLiteral("変換して開く"));
    const QRect ok = dlg.OKButton().geometry(), cancel = dlg.CancelButton().geometry(),
                convert = dlg.ConvertButton().geometry();
    // One row, as high as the other buttons, 2 pixels apart, the whole row centred; the
    // button is as wide as the others unless its caption needs more.
    QCOMPARE(convert.top(), ok.top());
    QCOMPARE(convert.height(), 25);
    QVERIFY(convert.width() >= qMax(73, dlg.ConvertButton().sizeHint().width()));
    QCOMPARE(cancel.left(), ok.left() + 73 + 2);
    QCOMPARE(convert.left(), cancel.left() + 73 + 2);
    QCOMPARE(ok.left(), (dlg.width() - (73 + 2 + 73 + 2 + convert.width())) / 2);
    QCOMPARE(dlg.width(), 8 + dlg.MessageLabel().width() + 10);  // the message still sets the size

    // OK only with the button: the pair is centred the same way.
    QCOMPARE(dlg.Ask(nullptr, msg, 0, {}, true), MessageDialog::kConvert);
    QVERIFY(dlg.CancelButton().isHidden());
    QCOMPARE(dlg.ConvertButton().x(), dlg.OKButton().x() + 73 + 2);
    QCOMPARE(dlg.OKButton().x(), (dlg.width() - (73 + 2 + dlg.ConvertButton().width())) / 2);

    // The next call without it hides it and lays the buttons out as before.
    dlg.Ask(nullptr, msg, 1, {});
    QVERIFY(dlg.ConvertButton().isHidden());
    QCOMPARE(dlg.OKButton().geometry(), twoOk);
  }

  void clickingTheConvertButtonAnswersItsOwnValue() {
    MessageDialog dlg(QString(), QStringLiteral("caption"), nullptr);
    auto* convert = const_cast<QPushButton*>(&dlg.ConvertButton());
    QTimer::singleShot(0, &dlg, [&dlg, convert] {
      QTRY_VERIFY(dlg.isVisible());
      QTest::mouseClick(convert, Qt::LeftButton);
    });
    QCOMPARE(dlg.Ask(nullptr, QStringLiteral("question?"), 1, QString(), true),
             MessageDialog::kConvert);
    QVERIFY(!dlg.isVisible());
    // Escape still answers Cancel with the button shown.
    QTimer::singleShot(0, &dlg, [&dlg] {
      QTRY_VERIFY(dlg.isVisible());
      QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    QCOMPARE(dlg.Ask(nullptr, QStringLiteral("question?"), 1, QString(), true),
             MessageDialog::kCancel);
  }
};

}  // namespace kelmoa

QTEST_MAIN(kelmoa::MessageDialogTest)
#include "message_dialog_test.moc"
