// The detail dialog's rules and chains, the help text, the about window and window placement.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextEdit>

#include "ui/CenterForm.h"
#include "ui/HelpText.h"
#include "ui/SystemRegistry.h"
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

std::vector<int> AllIndices() {
    std::vector<int> all(kDetailOptionCount);
    for (int i = 0; i < kDetailOptionCount; ++i)
        all[static_cast<size_t>(i)] = i;
    return all;
}

// Answers the two lookups from a table of its own.
class FakeRegistry : public SystemRegistry {
  public:
    std::map<std::string, std::string> Values; // key name + "|" + value name
    bool GetKeyValue(RegistryRoot, const std::string& KeyName, const std::string& SubKeyRef,
                     std::string& KeyVal) override {
        const auto it = Values.find(KeyName + "|" + SubKeyRef);
        KeyVal = it == Values.end() ? "" : it->second;
        return it != Values.end();
    }
};

} // namespace

class DialogTest : public QObject {
    Q_OBJECT
  private slots:
    void detailBoxesStandInTheirFramesAndColumns();
    void uncheckingAllWithTextureTilesCheckedLeavesPalettes();
    void textureTilesOptionWithoutPalettesOpensWithPalettesChecked();
    void allOptionsOnCheckAllWithoutChangingABox();
    void textureTilesRuleAndFreeChoices();
    void okWritesTheBoxesAndCancelKeepsTheOptions();
    void helpTextIsBuiltPieceByPiece();
    void aboutWindowShowsTitleColoursAndFonts();
    void systemInfoLookups();
    void systemInfoUnavailableShowsTheMessage();
    void centredPosition();
};

void DialogTest::detailBoxesStandInTheirFramesAndColumns() {
    DetailOptionSet options;
    frmReportDetails dialog(options);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Detail Level Selection"));
    QCOMPARE(dialog.size(), QSize(3840 / 15, 7425 / 15));
    for (int i = 0; i < kDetailOptionCount; ++i) {
        QCheckBox* box = dialog.DetailBox(i);
        QCOMPARE(box->objectName(), QStringLiteral("chkDetails_%1").arg(i));
        QCOMPARE(box->property("index").toInt(), i);
        const QString frame = box->parentWidget()->objectName();
        QCOMPARE(frame, i < 2    ? QStringLiteral("fraGraphics")
                        : i < 10 ? QStringLiteral("fraRooms")
                                 : QStringLiteral("frmReportDetails"));
    }
    QCOMPARE(dialog.DetailBox(1)->geometry(), QRect(1800 / 15, 240 / 15, 1335 / 15, 255 / 15));
    QCOMPARE(dialog.DetailBox(9)->geometry(), QRect(1800 / 15, 1140 / 15, 1515 / 15, 255 / 15));
    QCOMPARE(dialog.DetailBox(23)->geometry(), QRect(300 / 15, 6420 / 15, 1515 / 15, 255 / 15));
    QCOMPARE(dialog.DetailBox(29)->geometry(), QRect(1860 / 15, 4020 / 15, 1815 / 15, 255 / 15));
    QCOMPARE(dialog.DetailBox(36)->geometry(), QRect(1860 / 15, 6120 / 15, 1515 / 15, 255 / 15));
    QCOMPARE(dialog.DetailBox(optMeshes)->text(), QStringLiteral("Meshes"));
    QCOMPARE(dialog.AllBox()->text(), QStringLiteral("All"));
    auto* ok = dialog.findChild<QPushButton*>(QStringLiteral("cmdOK"));
    auto* cancel = dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"));
    QVERIFY(ok->isDefault());
    QVERIFY(!cancel->isDefault());
}

void DialogTest::uncheckingAllWithTextureTilesCheckedLeavesPalettes() {
    DetailOptionSet options;
    SetAllDetails(options, true);
    frmReportDetails dialog(options);
    QVERIFY(dialog.AllBox()->isChecked());
    QTest::mouseClick(dialog.AllBox(), Qt::LeftButton, {}, QPoint(5, dialog.AllBox()->height() / 2));
    QVERIFY(!dialog.AllBox()->isChecked());
    QCOMPARE(CheckedBoxes(dialog), std::vector<int>{optPalettes});
}

void DialogTest::textureTilesOptionWithoutPalettesOpensWithPalettesChecked() {
    DetailOptionSet options;
    options.Set(optTextureTiles, true);
    frmReportDetails dialog(options);
    QCOMPARE(CheckedBoxes(dialog), (std::vector<int>{optPalettes, optTextureTiles}));
    QVERIFY(!dialog.AllBox()->isChecked());
}

void DialogTest::allOptionsOnCheckAllWithoutChangingABox() {
    DetailOptionSet options;
    SetAllDetails(options, true);
    frmReportDetails dialog(options);
    QCOMPARE(CheckedBoxes(dialog), AllIndices());
    QVERIFY(dialog.AllBox()->isChecked());
    // "All" is never unchecked by the boxes: unchecking one leaves it checked.
    dialog.DetailBox(optFloors)->setChecked(false);
    QVERIFY(dialog.AllBox()->isChecked());
}

void DialogTest::textureTilesRuleAndFreeChoices() {
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

    // Checking "All" checks every box.
    dialog.AllBox()->setChecked(true);
    QCOMPARE(CheckedBoxes(dialog), AllIndices());
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
    for (int i = 0; i < kDetailOptionCount; ++i)
        QCOMPARE(options.On(i), i == optTextureTiles || i == optMeshes);
    // Index 3 and index 11 both read "Meshes" but are different options.
    QVERIFY(!options.On(optRoomMeshes));

    const DetailOptionSet before = options;
    {
        frmReportDetails dialog(options);
        dialog.AllBox()->setChecked(true);
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel")), Qt::LeftButton);
        QCOMPARE(dialog.result(), int(QDialog::Rejected));
    }
    QVERIFY(options.Value == before.Value);
    {
        frmReportDetails dialog(options);
        dialog.AllBox()->setChecked(true);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_Escape);
    }
    QVERIFY(options.Value == before.Value);
}

void DialogTest::helpTextIsBuiltPieceByPiece() {
    const std::string text = BuildHelpText();
    QVERIFY(text.starts_with(
        "Note to Help User Analyse Level File\r\n\r\nMenu File / Open: Opening a File:\r\n"));
    const std::string rule(43, '=');
    QVERIFY(text.ends_with("\r\n" + rule + "\r\nOnyx, you will be free!\r\n" + rule));
    QVERIFY(
        text.find("from the level file.The default directory is the applications' and the filename is the "
                  "levels' name.Will not warn") != std::string::npos);
    QVERIFY(text.find(
                "DM1 (phd) files are unsupported.\r\nDM4 files have not been yet decrypted.\r\n\r\nMenu File "
                "/ Save AS CSV:\r\n") != std::string::npos);
    QVERIFY(text.find(
                "The default options are all undetailed\r\nWhen a file is opened the undetailed report will "
                "automatically be written to the box.Setting options") != std::string::npos);
    QVERIFY(text.find("[App.Path & '\\TileCollection\\'] Folder.\r\n") != std::string::npos);
    QVERIFY(
        text.find("questionned.\r\n The Save as Binary menu item is not supported.\r\n\r\nIMPORTANTS NOTES:"
                  "\r\n\r\nFrames missing:\r\n\r\n") != std::string::npos);
    // Every line break is a carriage return and a line feed.
    QCOMPARE(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));

    frmHelp help;
    QCOMPARE(help.windowTitle(), QStringLiteral("Level Analyser Help"));
    QVERIFY(help.HelpPane()->isReadOnly());
    QCOMPARE(help.HelpPane()->toPlainText(),
             QString::fromStdString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

void DialogTest::aboutWindowShowsTitleColoursAndFonts() {
    frmAbout about;
    QCOMPARE(about.windowTitle(), QStringLiteral("About Strata Viewer"));
    auto* title = about.findChild<QLabel*>(QStringLiteral("lblTitle"));
    QCOMPARE(title->text(), QStringLiteral("Strata Viewer"));
    QCOMPARE(title->palette().color(QPalette::Window), QColor(255, 255, 192));
    QCOMPARE(title->palette().color(QPalette::WindowText), QColor(128, 64, 0));
    auto* description = about.findChild<QLabel*>(QStringLiteral("lblDescription"));
    QCOMPARE(description->text(), QStringLiteral("Are we getting there yet?"));
    QCOMPARE(description->palette().color(QPalette::WindowText), QColor(Qt::red));
    auto* name = about.findChild<QLabel*>(QStringLiteral("lblName"));
    QCOMPARE(name->palette().color(QPalette::WindowText), QColor(Qt::red));
    for (QLabel* label : {title, description, name})
        QCOMPARE(label->font().family(), QStringLiteral("Courier New"));
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("picIcon"))->pixmap().isNull());
    QVERIFY(about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->isDefault());
    QCOMPARE(about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo"))->text(),
             QStringLiteral("&System Info..."));
}

void DialogTest::systemInfoLookups() {
    const auto exists = [](const std::string& path) { return path == "D:\\Tools\\MSINFO32.EXE"; };
    FakeRegistry registry;
    QCOMPARE(QString::fromStdString(FindSysInfoPath(registry, exists)), QString());

    registry.Values["SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"] = "E:\\Elsewhere";
    QCOMPARE(QString::fromStdString(FindSysInfoPath(registry, exists)), QString());
    registry.Values["SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"] = "D:\\Tools";
    QCOMPARE(QString::fromStdString(FindSysInfoPath(registry, exists)),
             QStringLiteral("D:\\Tools\\MSINFO32.EXE"));

    // The first entry names the program itself and wins.
    registry.Values["SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH"] = "C:\\Info\\msinfo32.exe";
    QCOMPARE(QString::fromStdString(FindSysInfoPath(registry, exists)),
             QStringLiteral("C:\\Info\\msinfo32.exe"));
}

void DialogTest::systemInfoUnavailableShowsTheMessage() {
    frmAbout about(nullptr, std::make_unique<FakeRegistry>());
    about.show();
    QTest::mouseClick(about.findChild<QPushButton*>(QStringLiteral("cmdSysInfo")), Qt::LeftButton);
    auto* message = about.findChild<QMessageBox*>();
    QVERIFY(message);
    QCOMPARE(message->text(), QStringLiteral("System Information Is Unavailable At This Time"));
    QCOMPARE(message->standardButtons(), QMessageBox::Ok);
    message->close();
}

void DialogTest::centredPosition() {
    QCOMPARE(CenteredPositionTwips(QSize(12000, 9000), QSize(9600, 5775)), QPoint(1200, 1612));
    QCOMPARE(CenteredPositionTwips(QSize(12000, 9000), QSize(12000, 9000)), QPoint(0, 0));
}

QTEST_MAIN(DialogTest)
#include "DialogTest.moc"
