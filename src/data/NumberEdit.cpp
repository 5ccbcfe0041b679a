#include "NumberEdit.h"

#include "app/Platform.h"
#include "data/NumberFormat.h"
#include "data/TextCodec.h"

#include <QClipboard>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPainter>

#include <algorithm>

namespace nivora {

std::string ToCp1252(const QString& text) { return Utf8ToCp1252(BytesView(text.toUtf8())); }

QString General(long double value) { return QString::fromStdString(FormatGeneral(value, 10, DecimalSeparator())); }

bool ReadNumber(const QString& text, long double& value)
{
    return ParseNumber(BytesView(text.toUtf8()), value, DecimalSeparator());
}

bool ValidateNumberEdit(QLineEdit* edit, TNumberRule rule, long double& value)
{
    const TNumberCheck check = CheckNumberText(BytesView(edit->text().toUtf8()), rule, DecimalSeparator());
    if (check.ok) {
        value = check.value;
        return true;
    }
    if (check.isError)
        Messages().Error(edit, QString::fromUtf8(check.message));
    else
        Messages().Warning(edit, QString::fromUtf8(check.message));
    edit->setFocus();
    return false;
}

QChar TypedKey(const QKeyEvent* event)
{
    const QString text = event->text();
    if (event->key() == Qt::Key_Backspace || text.isEmpty() || !text.at(0).isPrint()
        || (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier)))
        return {};
    return text.at(0);
}

void TypeNumberKey(QLineEdit* edit, QChar key, TNumberBox box, const QString& before, const QString& after)
{
    const char c =
        NumberBoxKey(BytesView(before.toUtf8()), BytesView(after.toUtf8()), key.unicode(), box, DecimalSeparator());
    if (c != 0)
        edit->insert(QString(QChar(c)));
}

bool FilterNumberKey(QLineEdit* edit, QChar key)
{
    if (key == '\b' || !key.isPrint())
        return false;
    // Judged on the text with the key at its end, wherever the caret is.
    TypeNumberKey(edit, key, nbNumber, edit->text());
    return true;
}

bool FilterNumberKeyEvent(QLineEdit* edit, const QKeyEvent* event)
{
    const QChar key = TypedKey(event);
    return !key.isNull() && FilterNumberKey(edit, key);
}

QPoint CellTextOrigin(const QRect& rect, int textWidth, int textHeight, int margin, TCellAlignment alignment)
{
    const int dy = std::max(0, (rect.height() - textHeight) / 2);
    int dx = margin;
    if (alignment == caRight)
        dx = rect.width() - (textWidth + margin);
    else if (alignment == caCentre)
        dx = (rect.width() - textWidth) / 2;
    return {rect.left() + dx, rect.top() + dy};
}

void DrawCellText(QPainter& painter, const QRect& rect, const QString& text, int margin, TCellAlignment alignment)
{
    if (text.isEmpty())
        return;
    const QFontMetrics fm(painter.font());
    const int width = fm.horizontalAdvance(text);
    const int height = fm.height();
    const QPoint at = CellTextOrigin(rect, width, height, margin, alignment);
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.fillRect(rect, painter.background());
    painter.drawText(QRect(at, QSize(width, height)), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
    painter.restore();
}

namespace {

// A plain-text format other than Qt's own "text/plain", such as
// "text/plain;charset=utf-16".
QString OtherPlainTextFormat(const QMimeData* mime)
{
    for (const QString& format : mime->formats())
        if (format.startsWith(QLatin1String("text/plain;"), Qt::CaseInsensitive)
            && !format.contains(QLatin1String("utf-8"), Qt::CaseInsensitive))
            return format;
    return {};
}

}  // namespace

QByteArray ClipboardTextBytes(const QMimeData* mime)
{
    if (!mime)
        return {};
    if (mime->hasText()) {
        // UTF-16 bytes taken for 8-bit text come out full of zero characters:
        // the raw bytes let the reader see what they are.
        const QString text = mime->text();
        if (!text.contains(QChar(0)))
            return text.toUtf8();
        return mime->data(QStringLiteral("text/plain"));
    }
    const QString other = OtherPlainTextFormat(mime);
    return other.isEmpty() ? QByteArray() : mime->data(other);
}

bool ClipboardHoldsText(const QMimeData* mime)
{
    return mime && (mime->hasText() || !OtherPlainTextFormat(mime).isEmpty());
}

}  // namespace nivora
