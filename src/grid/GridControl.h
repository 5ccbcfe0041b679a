#pragma once
// The cell grid of a grid document window: the table control (TGridControl)
// and its cell editor (TGridEditor). The control leaves what typing means to
// the window: it reports the value being typed to be stored or dropped, the
// Delete key and every other key first.

#include <QLineEdit>
#include <QTableView>

#include <functional>

namespace nivora {

// The cell editor: it leaves the frame's command keys to the frame.
class TGridEditor : public QLineEdit {
    Q_OBJECT
public:
    using QLineEdit::QLineEdit;

protected:
    bool event(QEvent* e) override;
};

class TGridControl : public QTableView {
    Q_OBJECT
public:
    struct THandlers {
        // Stores the value being typed at the cell it was typed in.
        std::function<void()> StoreTyped;
        // Forgets the value being typed.
        std::function<void()> DropTyped;
        // The Delete key, with no modifier, on the grid itself.
        std::function<void()> DeleteKey;
        // A key on the grid itself; true when the window handled it.
        std::function<bool(QKeyEvent*)> KeyPress;
    };

    TGridControl(THandlers handlers, QWidget* parent);
    // Closes the cell editor, if open, without storing what it holds.
    void AbandonEdit();
    // The document is going: an editor closed from now on stores nothing.
    void DocumentGone();

protected:
    bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
    // An editor that closes other than by Esc (the focus went elsewhere)
    // stores what it holds, as a move to another cell does.
    void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    THandlers Handlers;
    bool HasDocument = true;
};

}  // namespace nivora
