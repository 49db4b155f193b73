#pragma once
// TNamedNumberDelegate: the editor of a grid column that holds the number of a row of another
// table. It offers the rows as "12 – Disc 4" in a drop-down that narrows to the entries holding
// what is typed, anywhere in the number or the name. The cell keeps storing the number: a chosen
// entry or a name typed in full stores its row's number, anything else is handed on as typed.

#include <QStyledItemDelegate>
#include <functional>
#include <vector>

namespace qm {

struct TNamedNumber {
    qint64 number = 0;
    QString name;
};

class TNamedNumberDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // `names` gives the rows as they are when an editor opens or its text is stored.
    TNamedNumberDelegate(std::function<std::vector<TNamedNumber>()> names, QObject* parent);

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

    // The drop-down's entry for a row.
    static QString ChoiceText(const TNamedNumber& row);
    // What the text of an editor stores: the number of the entry it shows; a whole number as
    // typed; the number of the one row whose name it is (ignoring case); otherwise the text
    // itself, for the column to refuse.
    QVariant StoredValue(const QString& text) const;

private:
    std::function<std::vector<TNamedNumber>()> names_;
};

} // namespace qm
