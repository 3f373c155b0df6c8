#pragma once
// The rows of the colour list: "Index", "Red", "Green", "Blue", with the swatch tooltip and colour.
#include <vector>

#include <QAbstractTableModel>

#include "palette/PaletteText.h"

class ColourListModel : public QAbstractTableModel {
    Q_OBJECT
  public:
    explicit ColourListModel(std::vector<ColourRow> rows, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

  private:
    std::vector<ColourRow> rows_;
};
