#pragma once
// Compare With... in the Structure menu: a second level compared with the one shown, its differences
// listed in a dock beside the report, the chunks that differ marked along the strata bar's foot, and
// its bytes in a second hex pane beside the hex view, in step with it (SideBySidePane.h). The second
// pane is shown only while a comparison is open; its place is kept with the docks'. F7 and Shift+F7
// go to the next and previous difference.
#include <QObject>
#include <QString>

#include <functional>

class QAction;
class QDockWidget;
class QMainWindow;
class DifferencesList;
class SideBySidePane;
class StructureViews;

class ComparisonDock : public QObject {
    Q_OBJECT
  public:
    ComparisonDock(QMainWindow& window, StructureViews& views);

    DifferencesList* List() const { return list_; }
    QDockWidget* Dock() const { return dock_; }
    QAction* CompareAction() const { return compare_; }
    SideBySidePane* SideBySide() const { return sideBySide_; }
    QDockWidget* SideBySideDock() const { return sideBySideDock_; }

    // Compares the level shown with the one at path and shows the list; returns "" or why it could
    // not, which the status bar shows too.
    QString CompareWith(const QString& path);

    // The step of Compare With... that asks for the second level: a file dialog, unless a test has put
    // its own choice in its place. An empty name means the user cancelled.
    void SetFileChooser(std::function<QString()> chooser) { chooser_ = std::move(chooser); }

  private:
    void Command();
    void CreateSideBySide(StructureViews& views);
    void StepDifference(int step);

    QMainWindow& window_;
    DifferencesList* list_ = nullptr;
    QDockWidget* dock_ = nullptr;
    QAction* compare_ = nullptr;
    SideBySidePane* sideBySide_ = nullptr;
    QDockWidget* sideBySideDock_ = nullptr;
    QDockWidget* hexDock_ = nullptr;
    bool evenOut_ = false; // placed beside the hex view on this first start, not yet shown
    std::function<QString()> chooser_;
};
