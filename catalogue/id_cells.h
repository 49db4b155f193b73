#pragma once
// TIDCells: the handler set that lets the ID cells of the Software grid be filled by name. Editing
// a CDID, CategoryID or TypeID cell offers the rows of the CD, Category or Type table by number
// and name; the cell still stores the number. A number that names no row is stored as typed, but
// the cell shows it in the warning colours with the pop-up's no-row text as its tooltip.

#include "catalogue/db/catalogue_data.h"
#include "catalogue/db/catalogue_tables.h"
#include "catalogue/main_window_state.h"
#include "framework/controls/named_number_delegate.h"

#include <QObject>
#include <QSet>
#include <array>
#include <memory>
#include <optional>

namespace Ui {
class TForm1;
}

namespace qm {

class TIDCells : public QObject {
    Q_OBJECT
public:
    TIDCells(Ui::TForm1& ui, TCatalogueData& data, TMainWindowState& state);
    ~TIDCells() override;

    // The rows of `table` in ID order, read from the file once after each change of the catalogue.
    const std::vector<TNamedNumber>& Names(TCatalogueTable table);
    // The no-row text when `value` of an ID cell names no row of `table`; empty for a row's
    // number and for an empty cell.
    QString Problem(TCatalogueTable table, const QVariant& value);

private:
    struct TNames {
        std::vector<TNamedNumber> rows;
        QSet<qint64> numbers;
    };
    const TNames& Read(TCatalogueTable table);
    void Forget();

    Ui::TForm1& ui_;
    TCatalogueData& data_;
    std::unique_ptr<TSQLiteConnection> connection_;
    std::array<std::optional<TNames>, 3> names_;
};

} // namespace qm
