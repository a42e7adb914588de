#pragma once

// Small control kinds the window needs beyond Qt's own.

#include <functional>

#include <QLabel>
#include <QLineEdit>
#include <QStyledItemDelegate>

namespace Varnock {

// A single-line box that keeps its caret and selection while another control has the focus,
// so text inserted from elsewhere lands where the user left them. Whatever reaches it (typed,
// pasted, dropped or set) stays one line of whole characters: an insertion keeps only its first
// line of text, and a surrogate pair that the length limit cuts in half is left out whole.
class FormulaBox : public QLineEdit {
public:
    explicit FormulaBox(QWidget* Parent = nullptr);

protected:
    void focusOutEvent(QFocusEvent* Event) override;
};

// A label that reports a click of the left mouse button. Screen readers see it as a link whose
// press action does what the click does.
class ClickLabel : public QLabel {
public:
    explicit ClickLabel(QWidget* Parent = nullptr);
    std::function<void()> OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* Event) override;
};

// Gives every list row the same height, chosen so that only whole rows fit the list.
class RowDelegate : public QStyledItemDelegate {
public:
    RowDelegate(int RowHeight, QObject* Parent) : QStyledItemDelegate(Parent), Height(RowHeight) {}
    QSize sizeHint(const QStyleOptionViewItem& Option, const QModelIndex& Index) const override;

private:
    int Height;
};

} // namespace Varnock
