#pragma once
// The main window: the level's path, the report pane, and the commands that open a level, run its
// report, save it as CSV and open the detail dialog, the viewers, help and about.
// Every modal window is made by a Create... function and shown by its command, so each can be built
// and examined on its own.
#include <cstdint>
#include <string>
#include <string_view>

#include <QMainWindow>

#include "report/AppState.h"
#include "ui/ReportView.h"

class QAction;
class QFileDialog;
class QFrame;
class QLabel;
class QMenu;
class ElidedLabel;
class FindBar;
class SpanSelection;
class StructureViews;
class LevelMapDock;
class frmAbout;
class frmHelp;
class frmMainPal;
class frmReportDetails;
class frmTextureTiles;

class frmMain : public QMainWindow {
    Q_OBJECT
  public:
    explicit frmMain(AppState& state, QWidget* parent = nullptr);

    // The folder the open dialog proposes when the levels' usual folder does not exist.
    void SetFallbackOpenFolder(const QString& folder) { fallbackOpenFolder_ = folder; }

    // Open, from the chosen path on: shows it, disables the level commands, runs the report and
    // enables them again when it succeeded.
    void OpenLevel(const QString& path);
    // Goes to the offset the command line's --goto names, as Go to Offset does. An offset the level
    // shown does not have is told in a message box over the window; the line it shows is returned
    // (for standard error), "" when the offset was shown.
    QString GoToAtStart(const QString& offset);
    // Runs the report on the chosen path: 0, or 99 for any failure.
    int16_t RunReport();
    void EnableLevelCommands(bool enabled);
    void GetGeneralInfo();
    void GetAllDetails();
    void GetSetDetails();
    // Saves the pane's text to path through the one output writer, never over the level of the report
    // shown; "" or the reason it failed.
    QString SaveReportAs(const QString& path);

    QFileDialog* CreateOpenDialog();
    // Null when the chosen path has no folder separator to take the level's name from.
    QFileDialog* CreateSaveDialog();
    frmReportDetails* CreateDetailDialog();
    frmMainPal* CreatePaletteExaminer();
    frmTextureTiles* CreateTileViewer();
    frmHelp* CreateHelp();
    frmAbout* CreateAbout();

    // The report pane. It shows AppState.Report in place, so the report is held once; SetReportText
    // replaces that text, and ReportText is what the pane shows and Save As CSV writes.
    void SetReportText(std::string_view text);
    const std::string& ReportText() const;
    ReportView::FindResult
    FindInReport(const QString& needle,
                 ReportView::FindDirection direction = ReportView::FindDirection::Next);

    QString ChosenLevelPath() const { return chosenLevelPath_; }
    bool ReportRunning() const { return reportRunning_; }
    // The status line's whole text, and what the find bar says of the last search.
    QString WalkEndLine() const;
    QString FindResultLine() const;

    // The structure views (outline, hex view, strata bar) and their menu, to the right of the Parts'
    // menus; other views plug into the menu and follow the one selection the views share.
    StructureViews& Structure() const { return *structure_; }
    QMenu* StructureMenu() const;
    SpanSelection& Selection() const;
    // The level map's dock, shown by Level Map (Ctrl+M) in the Structure menu.
    LevelMapDock& LevelMap() const { return *levelMap_; }

    // Lines and columns of the report a dock shown by a command leaves in sight, at least.
    static constexpr int kPaneLines = 12, kPaneColumns = 48;

  protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

  private:
    void CreateControls();
    void CreateMenus();
    void CreateFindCommands();
    void LayoutControls();
    QSize SnappedOuterTwips() const;
    void ApplyMinimumSize();
    void ShowRunResult();
    void FollowLastWalk();
    void KeepPaneRoomLater();
    void KeepPaneRoom();
    QRect PaneRect(QSize canvas) const;

    void OpenCommand();
    void SaveAsCsvCommand();
    void FindNextCommand(ReportView::FindDirection direction);

    AppState& state_;
    QString chosenLevelPath_;
    bool reportRunning_ = false;
    bool snapPending_ = false;
    bool docksWatched_ = false;
    bool roomPending_ = false;
    QString fallbackOpenFolder_;

    QWidget* canvas_ = nullptr;
    QFrame* line1_ = nullptr;
    QFrame* line2_ = nullptr;
    QLabel* lblFileName_ = nullptr;
    ReportView* rtbOutput_ = nullptr;
    ElidedLabel* lblWalkEnd_ = nullptr;
    FindBar* findBar_ = nullptr;
    StructureViews* structure_ = nullptr;
    LevelMapDock* levelMap_ = nullptr;

    QAction* mnuFileSaveAsCSV_ = nullptr;
    QMenu* mnuInfo_ = nullptr;
    QMenu* mnuView_ = nullptr;
    QAction* mnuViewViewPalettes_ = nullptr;
    QAction* mnuViewViewTextures_ = nullptr;
};
