#include "framework/controls/named_number_delegate.h"

#include <QAbstractItemView>
#include <QCompleter>
#include <QLineEdit>
#include <QStyle>
#include <algorithm>

namespace qm {

TNamedNumberDelegate::TNamedNumberDelegate(std::function<std::vector<TNamedNumber>()> names, QObject* parent)
    : QStyledItemDelegate(parent), names_(std::move(names)) {}

QString TNamedNumberDelegate::ChoiceText(const TNamedNumber& row) {
    return QStringLiteral("%1 – %2").arg(row.number).arg(row.name);
}

QWidget* TNamedNumberDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                            const QModelIndex&) const {
    auto* editor = new QLineEdit(parent);
    editor->setFrame(false);
    QStringList choices;
    for (const TNamedNumber& row : names_())
        choices << ChoiceText(row);
    auto* completer = new QCompleter(choices, editor);
    completer->setCaseSensitivity(Qt::CaseInsensitive);
    completer->setFilterMode(Qt::MatchContains);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    editor->setCompleter(completer);
    // The pop-up takes the width of the cell it drops from, which in a narrow ID column leaves
    // only the number and an ellipsis: it is made wide enough for the longest entry instead.
    QAbstractItemView& popup = *completer->popup();
    int widest = 0;
    for (const QString& choice : choices)
        widest = std::max(widest, popup.fontMetrics().horizontalAdvance(choice));
    popup.setMinimumWidth(widest + popup.style()->pixelMetric(QStyle::PM_ScrollBarExtent) +
                          4 * popup.style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 16);
    // A chosen entry reaches the row at once; after the editor's own handling, which puts the
    // entry's text in.
    connect(
        completer, qOverload<const QString&>(&QCompleter::activated), editor,
        [delegate = const_cast<TNamedNumberDelegate*>(this), editor] { emit delegate->commitData(editor); });
    return editor;
}

void TNamedNumberDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* line = qobject_cast<QLineEdit*>(editor))
        line->setText(index.data(Qt::EditRole).toString());
}

void TNamedNumberDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                        const QModelIndex& index) const {
    // Leaving the number as it was is no edit of the row.
    if (const auto* line = qobject_cast<QLineEdit*>(editor);
        line && line->text() != index.data(Qt::EditRole).toString())
        model->setData(index, StoredValue(line->text()), Qt::EditRole);
}

QVariant TNamedNumberDelegate::StoredValue(const QString& text) const {
    const QString typed = text.trimmed();
    const std::vector<TNamedNumber> rows = names_();
    for (const TNamedNumber& row : rows)
        if (ChoiceText(row) == typed)
            return row.number;
    // A number is taken as typed, even where a row happens to be named with digits.
    bool number = false;
    typed.toLongLong(&number);
    if (number)
        return text;
    // A name that several rows share names none of them.
    const TNamedNumber* named = nullptr;
    for (const TNamedNumber& row : rows)
        if (!typed.isEmpty() && row.name.trimmed().compare(typed, Qt::CaseInsensitive) == 0) {
            if (named)
                return text;
            named = &row;
        }
    return named ? QVariant(named->number) : QVariant(text);
}

} // namespace qm
