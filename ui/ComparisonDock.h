#pragma once
// Compare With... in the Structure menu: a second level compared with the one shown, its differences
// listed in a dock beside the report, the chunks that differ marked along the strata bar's foot.
#include <QObject>
#include <QString>

class QAction;
class QDockWidget;
class QMainWindow;
class DifferencesList;
class StructureViews;

class ComparisonDock : public QObject {
    Q_OBJECT
  public:
    ComparisonDock(QMainWindow& window, StructureViews& views);

    DifferencesList* List() const { return list_; }
    QDockWidget* Dock() const { return dock_; }
    QAction* CompareAction() const { return compare_; }

    // Compares the level shown with the one at path and shows the list; returns "" or why it could
    // not, which the status bar shows too.
    QString CompareWith(const QString& path);

  private:
    void Command();

    QMainWindow& window_;
    DifferencesList* list_ = nullptr;
    QDockWidget* dock_ = nullptr;
    QAction* compare_ = nullptr;
};
