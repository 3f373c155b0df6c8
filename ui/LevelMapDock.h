#pragma once
// The level map in the main window: a dock (hidden on a first start, then as the last run left it)
// shown by "Level Map" (Ctrl+M) in the Structure menu, with the commands that save the map as PNG or
// SVG beside it. The map follows the selection the structure views share.
#include <QObject>

class QAction;
class QDockWidget;
class LevelMapView;
class StructureViews;
class QMainWindow;

class LevelMapDock : public QObject {
    Q_OBJECT
  public:
    LevelMapDock(QMainWindow& window, StructureViews& structure);

    LevelMapView* View() const { return view_; }
    QDockWidget* Dock() const { return dock_; }
    QAction* ShowAction() const;

  private:
    LevelMapView* view_ = nullptr;
    QDockWidget* dock_ = nullptr;
};
