#include "ui/FormControls.h"

#include <algorithm>

#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QMouseEvent>
#include <QValidator>

namespace Varnock {

namespace {

bool IsLineBreak(QChar Character) {
    switch (Character.unicode()) {
    case u'\n':
    case u'\r':
    case 0x0085: // next line
    case 0x2028: // line separator
    case 0x2029: // paragraph separator
        return true;
    default:
        return false;
    }
}

// Removes Count characters at From; the caret stays on the character it was on.
void Cut(QString& Text, int& Caret, qsizetype From, qsizetype Count) {
    Text.remove(From, Count);
    if (Caret > From)
        Caret -= static_cast<int>(std::min<qsizetype>(Caret - From, Count));
}

// Qt's line edit refuses typed control characters but keeps line breaks that are pasted or
// dropped, and its length limit can split a surrogate pair. Qt runs the validator after every
// change from any source, with the new text, which it may correct.
class OneLineText : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString& Text, int& Caret) const override {
        // A change replaces one stretch of the previous text; the new stretch is what differs.
        const qsizetype Common = std::min(Previous.size(), Text.size());
        qsizetype Head = 0;
        while (Head < Common && Previous[Head] == Text[Head])
            ++Head;
        qsizetype Tail = 0;
        while (Tail < Common - Head &&
               Previous[Previous.size() - 1 - Tail] == Text[Text.size() - 1 - Tail])
            ++Tail;
        // The inserted text's first line of text: leading breaks go, and all from the next one.
        qsizetype Leading = 0;
        while (Head + Leading < Text.size() - Tail && IsLineBreak(Text[Head + Leading]))
            ++Leading;
        Cut(Text, Caret, Head, Leading);
        const qsizetype End = Text.size() - Tail;
        for (qsizetype At = Head; At < End; ++At)
            if (IsLineBreak(Text[At])) {
                Cut(Text, Caret, At, End - At);
                break;
            }
        for (qsizetype At = 0; At < Text.size();) {
            if (Text[At].isHighSurrogate() && At + 1 < Text.size() && Text[At + 1].isLowSurrogate())
                At += 2;
            else if (Text[At].isSurrogate())
                Cut(Text, Caret, At, 1);
            else
                ++At;
        }
        Previous = Text;
        return Acceptable;
    }

private:
    // The box's text as last accepted: Qt hands over only the new one.
    mutable QString Previous;
};

// Qt would present the label as static text, which a screen reader offers no way to follow.
class ClickLabelAccessible : public QAccessibleWidget {
public:
    explicit ClickLabelAccessible(ClickLabel* Label)
        : QAccessibleWidget(Label, QAccessible::Link) {}

    QStringList actionNames() const override {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }
    void doAction(const QString& Action) override {
        if (Action != pressAction())
            QAccessibleWidget::doAction(Action);
        else if (const auto& Click = static_cast<ClickLabel*>(widget())->OnClick)
            Click();
    }
};

QAccessibleInterface* ClickLabelInterface(const QString&, QObject* Object) {
    // The label class has no meta-object of its own, so Qt asks by its base's name.
    if (auto* Label = dynamic_cast<ClickLabel*>(Object))
        return new ClickLabelAccessible(Label);
    return nullptr;
}

} // namespace

FormulaBox::FormulaBox(QWidget* Parent) : QLineEdit(Parent) {
    setValidator(new OneLineText(this));
}

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

ClickLabel::ClickLabel(QWidget* Parent) : QLabel(Parent) {
    static const bool Installed = (QAccessible::installFactory(ClickLabelInterface), true);
    static_cast<void>(Installed);
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
