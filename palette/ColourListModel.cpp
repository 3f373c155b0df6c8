#include "palette/ColourListModel.h"

#include <QColor>

namespace {
const char* const kColumns[] = {"Index", "Red", "Green", "Blue"};
}

ColourListModel::ColourListModel(std::vector<ColourRow> rows, QObject* parent)
    : QAbstractTableModel(parent), rows_(std::move(rows)) {}

int ColourListModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int ColourListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : 4;
}

QVariant ColourListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const ColourRow& row = rows_[static_cast<size_t>(index.row())];
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case 0:
            return QString::number(row.Index);
        case 1:
            return QString::number(row.R);
        case 2:
            return QString::number(row.G);
        case 3:
            return QString::number(row.B);
        }
        return {};
    case Qt::ToolTipRole:
        return QString::fromStdString(SwatchToolTip(row));
    case Qt::DecorationRole:
        if (index.column() == 0)
            return QColor(row.R, row.G, row.B);
        return {};
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    }
    return {};
}

QVariant ColourListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < 4)
        return QString::fromLatin1(kColumns[section]);
    return QAbstractTableModel::headerData(section, orientation, role);
}
