#pragma once
// 3D View (Ctrl+6) in the Structure menu: the rooms of the level shown drawn in 3D with their tiles, in
// a dock (hidden on a first start, then as the last run left it) with a tool bar of toggles and a line
// that names the face under the cursor. The GL view is made when the dock is first shown; where OpenGL
// 3.3 cannot be had the dock shows a message instead.
#include <QObject>
#include <QString>

class QAction;
class QDockWidget;
class QLabel;
class QMainWindow;
class QStackedLayout;
class StructureViews;
class View3D;

class View3DDock : public QObject {
    Q_OBJECT
  public:
    View3DDock(QMainWindow& window, StructureViews& views);

    QDockWidget* Dock() const { return dock_; }
    // The GL view; null until the dock was first shown, and where OpenGL could not be had.
    View3D* View() const { return view_; }
    // The message shown in the view's place where OpenGL could not be had; empty otherwise.
    QString Message() const;
    QLabel* StatusLine() const { return status_; }
    QAction* AllRoomsAction() const { return allRooms_; }
    QAction* Tiles16Action() const { return tiles16_; }
    QAction* WireframeAction() const { return wireframe_; }
    QAction* ShowInvalidAction() const { return showInvalid_; }
    QAction* FlyAction() const { return fly_; }

  private:
    void MakeView();
    void ShowMessage(const QString& text);
    void ShowStatus(const QString& hovered);

    StructureViews& views_;
    QDockWidget* dock_ = nullptr;
    QStackedLayout* stack_ = nullptr;
    View3D* view_ = nullptr;
    QLabel* message_ = nullptr;
    QLabel* status_ = nullptr;
    QAction* allRooms_ = nullptr;
    QAction* tiles16_ = nullptr;
    QAction* wireframe_ = nullptr;
    QAction* showInvalid_ = nullptr;
    QAction* fly_ = nullptr;
    QAction* frame_ = nullptr;
};
