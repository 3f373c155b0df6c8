// The detail dialog's rules and chains, the help text and the about window's System Info.
#include <QCheckBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "ui/HelpText.h"
#include "ui/frmAbout.h"
#include "ui/frmHelp.h"
#include "ui/frmReportDetails.h"

namespace {

std::vector<int> CheckedBoxes(const frmReportDetails& dialog) {
    std::vector<int> checked;
    for (int i = 0; i < kDetailOptionCount; ++i)
        if (dialog.DetailBox(i)->isChecked())
            checked.push_back(i);
    return checked;
}

} // namespace

class DialogTest : public QObject {
    Q_OBJECT
  private slots:
    void chainsOfTheDetailBoxes();
    void okWritesTheBoxesAndCancelKeepsTheOptions();
    void helpText();
    void systemInfo();
    void enterPressesTheButtonThatHasTheFocus();
};

void DialogTest::chainsOfTheDetailBoxes() {
    {
        DetailOptionSet options;
        SetAllDetails(options, true);
        frmReportDetails dialog(options);
        QCOMPARE(CheckedBoxes(dialog).size(), size_t(kDetailOptionCount));
        QVERIFY(dialog.AllBox()->isChecked());
        // "All" is never unchecked by the boxes; unchecking it with "Texture Tiles" checked leaves
        // "Palettes".
        dialog.DetailBox(optFloors)->setChecked(false);
        QVERIFY(dialog.AllBox()->isChecked());
        QTest::mouseClick(dialog.AllBox(), Qt::LeftButton, {}, QPoint(5, dialog.AllBox()->height() / 2));
        QVERIFY(!dialog.AllBox()->isChecked());
        QCOMPARE(CheckedBoxes(dialog), std::vector<int>{optPalettes});
    }
    {
        DetailOptionSet options;
        options.Set(optTextureTiles, true);
        frmReportDetails dialog(options);
        QCOMPARE(CheckedBoxes(dialog), (std::vector<int>{optPalettes, optTextureTiles}));
        QVERIFY(!dialog.AllBox()->isChecked());
    }
    DetailOptionSet options;
    frmReportDetails dialog(options);
    // Unchecking "Texture Tiles" while "Palettes" is unchecked checks "Palettes" as well.
    dialog.DetailBox(optTextureTiles)->setChecked(true);
    dialog.DetailBox(optPalettes)->setChecked(false);
    dialog.DetailBox(optTextureTiles)->setChecked(false);
    QCOMPARE(CheckedBoxes(dialog), std::vector<int>{optPalettes});
    // "Palettes" may still be unchecked after "Texture Tiles"; no other box is linked.
    dialog.DetailBox(optTextureTiles)->setChecked(true);
    dialog.DetailBox(optPalettes)->setChecked(false);
    dialog.DetailBox(optRoomInfo)->setChecked(true);
    QCOMPARE(CheckedBoxes(dialog), (std::vector<int>{optTextureTiles, optRoomInfo}));
    dialog.AllBox()->setChecked(true);
    QCOMPARE(CheckedBoxes(dialog).size(), size_t(kDetailOptionCount));
}

void DialogTest::okWritesTheBoxesAndCancelKeepsTheOptions() {
    DetailOptionSet options;
    {
        frmReportDetails dialog(options);
        dialog.DetailBox(optTextureTiles)->setChecked(true);
        dialog.DetailBox(optPalettes)->setChecked(false);
        dialog.DetailBox(optMeshes)->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));
    }
    // Index 3 and index 11 both read "Meshes" but are different options.
    for (int i = 0; i < kDetailOptionCount; ++i)
        QCOMPARE(options.On(i), i == optTextureTiles || i == optMeshes);

    const DetailOptionSet before = options;
    frmReportDetails dialog(options);
    dialog.AllBox()->setChecked(true);
    QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QVERIFY(options.Value == before.Value);
}

void DialogTest::helpText() {
    const std::string text = BuildHelpText();
    const std::string rule(43, '=');
    QVERIFY(text.starts_with(
        "Note to Help User Analyse Level File\r\n\r\nMenu File / Open: Opening a File:\r\n"));
    QVERIFY(text.ends_with("\r\n" + rule + "\r\nOnyx, you will be free!\r\n" + rule));
    QVERIFY(
        text.find("from the level file.The default directory is the applications' and the filename is the "
                  "levels' name.Will ask before overwriting an existing file.") != std::string::npos);
    QCOMPARE(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));
    // The window shows the text above whole, then, after a blank line, the viewer's own section.
    frmHelp help;
    QVERIFY(help.HelpPane()->isReadOnly());
    const QString shown = help.HelpPane()->toPlainText();
    const QString parts = QString::fromStdString(text).replace(QStringLiteral("\r\n"), "\n");
    QVERIFY(shown.startsWith(parts + "\n\n"));
    const QString viewer = shown.mid(parts.size() + 2);
    QCOMPARE(viewer, QString::fromStdString(BuildViewerHelpText()).replace(QStringLiteral("\r\n"), "\n"));
    for (const char* heading :
         {"Menu Structure:", "Outline (Ctrl+1)", "Hex View (Ctrl+2)", "Strata Bar (Ctrl+3)",
          "Go to Offset (Ctrl+G)", "Level Map (Ctrl+M):", "Compare With... and Differences"})
        QVERIFY2(viewer.contains(QLatin1String(heading)), heading);
    QVERIFY(viewer.startsWith(QLatin1String("Menu Structure:")));
    QVERIFY(viewer.endsWith(QLatin1String("remembered for the next start.")));
}

// Elsewhere than on Windows the registry lookups fail.
void DialogTest::systemInfo() {
    frmAbout about;
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    auto* message = about.findChild<QMessageBox*>();
    QVERIFY(message);
    QCOMPARE(message->text(), QStringLiteral("System Information Is Unavailable At This Time"));
    message->close();
}

// Keys, not clicks: Enter on a focused button presses that button; Enter elsewhere presses the default
// button; Escape cancels.
void DialogTest::enterPressesTheButtonThatHasTheFocus() {
    struct Case {
        const char* Target; // a button's name, or a detail box's
        int Key;
        int Result;
        bool Saved;
    };
    for (const Case& c : {Case{"cmdCancel", Qt::Key_Return, QDialog::Rejected, false},
                          Case{"cmdCancel", Qt::Key_Enter, QDialog::Rejected, false},
                          Case{"cmdOK", Qt::Key_Return, QDialog::Accepted, true},
                          Case{"chkDetails_5", Qt::Key_Return, QDialog::Accepted, true},
                          Case{"chkDetails_5", Qt::Key_Escape, QDialog::Rejected, false}}) {
        const QString row = QStringLiteral("%1 %2").arg(QLatin1String(c.Target)).arg(c.Key);
        DetailOptionSet options;
        frmReportDetails dialog(options);
        dialog.show();
        dialog.AllBox()->setChecked(true);
        QWidget* target = dialog.findChild<QWidget*>(QLatin1String(c.Target));
        QVERIFY2(target, qPrintable(row));
        target->setFocus();
        QTest::keyClick(target, Qt::Key(c.Key));
        QVERIFY2(dialog.result() == c.Result, qPrintable(row));
        QVERIFY2(AllDetailsSelected(options) == c.Saved, qPrintable(row));
    }

    frmAbout about;
    about.show();
    auto* sysInfo = about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"));
    sysInfo->setFocus();
    QTest::keyClick(sysInfo, Qt::Key_Return);
    QVERIFY(about.isVisible());
    QVERIFY(about.findChild<QMessageBox*>());
    about.findChild<QMessageBox*>()->close();
    QTest::keyClick(about.findChild<QPushButton*>(QStringLiteral("cmdOK")), Qt::Key_Return);
    QCOMPARE(about.result(), int(QDialog::Accepted));
}

QTEST_MAIN(DialogTest)
#include "DialogTest.moc"
