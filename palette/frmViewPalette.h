#pragma once
// The colour list: one palette's colours as numbers, with a "Done" button.
#include <vector>

#include <QDialog>

#include "palette/PaletteText.h"

class QTreeView;

class frmViewPalette : public QDialog {
    Q_OBJECT
  public:
    frmViewPalette(const QString& caption, std::vector<ColourRow> rows, QWidget* parent = nullptr);
    QTreeView* ColourList() const { return lsvColors_; }

  private:
    QTreeView* lsvColors_;
};
