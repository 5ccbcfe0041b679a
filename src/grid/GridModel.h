#pragma once
// TGridModel: the table model of a grid document window. It answers every
// cell from the document's terrain in the view the window shows (1000 x 1000
// cells, headers from the stake coordinates); nothing is stored per cell.

#include <QAbstractTableModel>
#include <QString>

namespace nivora {

class TForm2;

// A cell or a header shows at most this many characters of its text.
QString CellDisplayText(const QString& text);

class TGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TGridModel(const TForm2& document) : Document(document) {}
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    // One notification for the whole grid (the view repaints what it shows).
    void Refresh();
    void RefreshCell(int col, int row);
    // The headers name the stakes anew (another font, another georeference).
    void RefreshHeaders();

private:
    const TForm2& Document;
};

}  // namespace nivora
