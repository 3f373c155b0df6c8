#pragma once
// The structure views of the main window and their menu: the outline and the hex view in docks, the
// strata bar under the path label, Go to Offset and the recent files, all around one shared selection
// that the report pane takes part in. The Parts' menus stay as they are; everything here hangs off one
// menu of its own to their right. On a first start every view is hidden, so the window opens as it
// always has; the window's size and place, the docks' layout and the recent files are remembered.
#include <cstdint>
#include <functional>

#include <QObject>
#include <QRect>
#include <QStringList>

#include "report/AppState.h"

class QAction;
class QDockWidget;
class QMainWindow;
class QMenu;
class HexView;
class OutlinePane;
class ReportView;
class SpanSelection;
class StrataBar;

class StructureViews : public QObject {
    Q_OBJECT
  public:
    static constexpr int kRecentFiles = 8;
    static constexpr int kStrataBarHeight = 14;

    // Builds the views, hidden (or as the last run left them), and adds the Structure menu to the
    // window's menu bar. openFile opens a level as File / Open does.
    StructureViews(QMainWindow& window, const AppState& state, ReportView& pane, QWidget* canvas,
                   std::function<void(const QString&)> openFile);

    QMenu* Menu() const { return menu_; }
    // Adds a command for another view to the menu, behind the views already there.
    void AddViewAction(QAction* action);
    SpanSelection& Selection() const { return *selection_; }
    ReportView& Pane() const { return pane_; }
    OutlinePane* Outline() const { return outline_; }
    HexView* Hex() const { return hex_; }
    StrataBar* Strata() const { return strata_; }
    QDockWidget* OutlineDock() const { return outlineDock_; }
    QDockWidget* HexDock() const { return hexDock_; }

    // Shows the outline, the hex view and the strata bar together, enlarging the window where it is
    // too small for them.
    void ShowAll();
    void SetStrataBarShown(bool shown);
    bool StrataBarShown() const;
    // Selects the most specific line covering the byte at text ("0x1F2C", "1F2Ch" or decimal) and shows
    // it in the hex view; false for text that is no offset of the level shown.
    bool GoToOffset(const QString& text);

    // A new report run replaced the walk map.
    void TakeWalk();
    // The strata bar takes the top of the report pane's place while it is shown.
    void PlaceBand(QRect& paneRect);

    void RememberFile(const QString& path);
    QStringList RecentFiles() const;
    // Saves the window's size and place, the docks' layout and the strata bar's state for the next
    // start; RestoreLayout brings them back, once every dock of the window has been made.
    void SaveLayout() const;
    void RestoreLayout();

  signals:
    // The strata bar was shown or hidden: the window lays out its pane again.
    void BandChanged();
    // Every dock has been made and the last run's layout put back (fromLastRun: there was one): a view
    // shown only with something to show hides again, a dock placed beside another takes its place.
    void LayoutRestored(bool fromLastRun);

  private:
    void CreateViews(QWidget* canvas);
    void CreateMenu();
    void FillRecentMenu();
    void GoToOffsetCommand();
    void ShowStrataLegend();
    void FollowPane();
    void FollowSelection(const QObject* source);

    QMainWindow& window_;
    const AppState& state_;
    ReportView& pane_;
    std::function<void(const QString&)> openFile_;
    SpanSelection* selection_ = nullptr;
    OutlinePane* outline_ = nullptr;
    HexView* hex_ = nullptr;
    StrataBar* strata_ = nullptr;
    QDockWidget* outlineDock_ = nullptr;
    QDockWidget* hexDock_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* strataAction_ = nullptr;
    QAction* strataScaleAction_ = nullptr;
    QWidget* legend_ = nullptr;
    QAction* viewsEnd_ = nullptr; // the separator behind the view commands
    QMenu* recentMenu_ = nullptr;
    bool followingSelection_ = false;
};
