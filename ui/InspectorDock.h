#pragma once
// Data Inspector (Ctrl+7) in the Structure menu: the bytes at the picked offset read as numbers and
// colours, in a dock (hidden on a first start, then as the last run left it) that follows the one
// selection.
#include <QObject>

class QDockWidget;
class QMainWindow;
class InspectorPane;
class StructureViews;

class InspectorDock : public QObject {
    Q_OBJECT
  public:
    InspectorDock(QMainWindow& window, StructureViews& views);

    InspectorPane* Pane() const { return pane_; }
    QDockWidget* Dock() const { return dock_; }

  private:
    InspectorPane* pane_ = nullptr;
    QDockWidget* dock_ = nullptr;
};
