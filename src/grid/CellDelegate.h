#pragma once
// TCellDelegate: the item delegate of the program's editable grids, the
// document's cells and the results table. The window paints the cells; it
// is told when an edit begins, follows the editor's text as it changes and
// sees every key typed into the editor first. The model is never written
// through the delegate: the window stores what was typed itself.

#include <QStyledItemDelegate>

#include <functional>

class QKeyEvent;
class QLineEdit;

namespace nivora {

class TCellDelegate : public QStyledItemDelegate {
public:
    struct THandlers {
        // The window whose handlers these are: the editor's text reaches it
        // only while it exists.
        QObject* Window = nullptr;
        std::function<void(QPainter*, const QStyleOptionViewItem&, const QModelIndex&)> Paint;
        // Makes the editor of a cell; a plain line edit when empty. The
        // delegate names it, takes its frame and aligns it right.
        std::function<QLineEdit*(QWidget* parent)> MakeEditor;
        // An edit of `index` begins in `editor`.
        std::function<void(QLineEdit* editor, const QModelIndex& index)> BeginEdit;
        std::function<void(const QString& text)> TextChanged;
        // True when the key has been dealt with and the editor must not see it.
        std::function<bool(QKeyEvent* event, QLineEdit* editor)> KeyPress;
    };

    TCellDelegate(const QString& editorName, THandlers handlers, QObject* parent);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void setEditorData(QWidget*, const QModelIndex&) const override {}
    void setModelData(QWidget*, QAbstractItemModel*, const QModelIndex&) const override {}

protected:
    bool eventFilter(QObject* object, QEvent* event) override;

private:
    QString EditorName;
    THandlers Handlers;
};

}  // namespace nivora
