#include "ui/FormControls.h"

#include <QFocusEvent>
#include <QMouseEvent>

namespace Varnock {

void FormulaBox::focusOutEvent(QFocusEvent* Event) {
    const int Start = selectionStart();
    const int Length = selectionLength();
    const int Caret = cursorPosition();
    // Qt drops the selection when the focus leaves; put it back, caret on the same side.
    QLineEdit::focusOutEvent(Event);
    if (Length > 0) {
        if (Caret == Start)
            setSelection(Start + Length, -Length);
        else
            setSelection(Start, Length);
    }
}

void ClickLabel::mouseReleaseEvent(QMouseEvent* Event) {
    QLabel::mouseReleaseEvent(Event);
    if (Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint()) &&
        OnClick)
        OnClick();
}

QSize RowDelegate::sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const {
    return {QStyledItemDelegate::sizeHint(Option, Index).width(), Height};
}

} // namespace Varnock
