#include "grid/GridControl.h"

#include "app/Platform.h"
#include "data/NumberEdit.h"

#include <QHeaderView>
#include <QKeyEvent>

#include <algorithm>

namespace nivora {

namespace {

// The frame's command keys: in the grid they reach the frame, not the editor.
bool IsFrameKey(const QKeyEvent* e)
{
    static const QKeySequence keys[] = {QKeySequence("Ctrl+N"), QKeySequence("Ctrl+A"), QKeySequence("Ctrl+S"),
                                        QKeySequence("Ctrl+C"), QKeySequence("Ctrl+V"), QKeySequence("Shift+Del"),
                                        QKeySequence("Ctrl+B"), QKeySequence("F9"),     QKeySequence("F12")};
    const QKeySequence pressed(e->keyCombination());
    return std::any_of(std::begin(keys), std::end(keys), [&](const QKeySequence& k) { return k == pressed; });
}

}  // namespace

bool TGridEditor::event(QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && IsFrameKey(static_cast<QKeyEvent*>(e))) {
        e->ignore();
        return true;
    }
    return QLineEdit::event(e);
}

TGridControl::TGridControl(THandlers handlers, QWidget* parent) : QTableView(parent), Handlers(std::move(handlers))
{
    setObjectName("Grid");
    setSelectionMode(QAbstractItemView::ContiguousSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked
                    | QAbstractItemView::EditKeyPressed);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setWordWrap(false);
    setTabKeyNavigation(true);
    setContextMenuPolicy(Qt::DefaultContextMenu);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
    QPalette p = palette();
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::Text, Qt::black);
    setPalette(p);
}

void TGridControl::AbandonEdit()
{
    Handlers.DropTyped();
    if (state() == EditingState)
        if (QWidget* editor = indexWidget(currentIndex()))
            closeEditor(editor, QAbstractItemDelegate::NoHint);
}

bool TGridControl::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event)
{
    // A key that could not begin a number opens no editor (a letter).
    if (trigger == AnyKeyPressed && event && event->type() == QEvent::KeyPress) {
        const auto* ke = static_cast<QKeyEvent*>(event);
        const QString text = ke->text();
        if (text.isEmpty() || (ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
            return false;
        if (NumberBoxKey({}, {}, text.at(0).unicode(), nbElevation, DecimalSeparator()) == 0)
            return false;
    }
    return QTableView::edit(index, trigger, event);
}

void TGridControl::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint)
{
    QTableView::closeEditor(editor, hint);
    if (HasDocument && hint != QAbstractItemDelegate::RevertModelCache)
        Handlers.StoreTyped();
}

void TGridControl::DocumentGone()
{
    AbandonEdit();
    HasDocument = false;
}

void TGridControl::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Delete && e->modifiers() == Qt::NoModifier) {
        RunCommand(this, [this] { Handlers.DeleteKey(); });
        return;
    }
    if (Handlers.KeyPress(e))
        return;
    QTableView::keyPressEvent(e);
}

bool TGridControl::event(QEvent* e)
{
    // The frame's command keys are the frame's, also while the grid has the focus.
    if (e->type() == QEvent::ShortcutOverride && IsFrameKey(static_cast<QKeyEvent*>(e))) {
        e->ignore();
        return true;
    }
    return QTableView::event(e);
}

}  // namespace nivora
