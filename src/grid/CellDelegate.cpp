#include "CellDelegate.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace nivora {

TCellDelegate::TCellDelegate(const QString& editorName, THandlers handlers, QObject* parent)
    : QStyledItemDelegate(parent), EditorName(editorName), Handlers(std::move(handlers))
{}

void TCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    Handlers.Paint(painter, option, index);
}

QWidget* TCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const
{
    QLineEdit* editor = Handlers.MakeEditor ? Handlers.MakeEditor(parent) : new QLineEdit(parent);
    editor->setObjectName(EditorName);
    editor->setFrame(false);
    editor->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Handlers.BeginEdit(editor, index);
    connect(editor, &QLineEdit::textChanged, Handlers.Window,
            [changed = Handlers.TextChanged](const QString& text) { changed(text); });
    return editor;
}

bool TCellDelegate::eventFilter(QObject* object, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        auto* editor = qobject_cast<QLineEdit*>(object);
        if (editor && Handlers.KeyPress(static_cast<QKeyEvent*>(event), editor))
            return true;
    }
    return QStyledItemDelegate::eventFilter(object, event);
}

}  // namespace nivora
