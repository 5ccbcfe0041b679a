#include "grid/GridModel.h"

#include "data/UCotas.h"
#include "grid/datagrid.h"

namespace nivora {

namespace {

constexpr int kCellTextLimit = 12;

}  // namespace

QString CellDisplayText(const QString& text) { return text.left(kCellTextLimit); }

int TGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : MaxGridSize; }

int TGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : MaxGridSize; }

QVariant TGridModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid())
        return {};
    return Document.CellText(index.column() + 1, index.row() + 1);
}

QVariant TGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    return orientation == Qt::Horizontal ? CellDisplayText(Document.CellText(section + 1, 0))
                                         : CellDisplayText(Document.CellText(0, section + 1));
}

Qt::ItemFlags TGridModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    Qt::ItemFlags f = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (Document.ViewIndex() == 0)
        f |= Qt::ItemIsEditable;
    return f;
}

void TGridModel::Refresh()
{
    emit dataChanged(index(0, 0), index(MaxGridSize - 1, MaxGridSize - 1), {Qt::DisplayRole});
}

void TGridModel::RefreshCell(int col, int row)
{
    if (col < 1 || col > MaxGridSize || row < 1 || row > MaxGridSize)
        return;
    const QModelIndex i = index(row - 1, col - 1);
    emit dataChanged(i, i, {Qt::DisplayRole});
}

void TGridModel::RefreshHeaders()
{
    emit headerDataChanged(Qt::Horizontal, 0, MaxGridSize - 1);
    emit headerDataChanged(Qt::Vertical, 0, MaxGridSize - 1);
}

}  // namespace nivora
