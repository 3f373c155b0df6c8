#pragma once
// The outline's tree view: shows the outline model and takes part in the shared selection. Choosing a
// node selects its span (or record); a selection made elsewhere makes the node that wrote the selected
// line current, opening its parents.
#include <QTreeView>

class OutlineModel;
class SpanSelection;

class OutlinePane : public QTreeView {
    Q_OBJECT
  public:
    explicit OutlinePane(SpanSelection& selection, QWidget* parent = nullptr);

    OutlineModel& Model() { return *model_; }

  protected:
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

  private:
    void TakeWalk();
    void Follow(const QObject* source);

    SpanSelection& selection_;
    OutlineModel* model_;
    bool following_ = false;
};
