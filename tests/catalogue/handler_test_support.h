#pragma once
// Helpers of the handler tests: what a grid shows and the message boxes that open meanwhile.

#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace qm {
class TDBGrid;
}

namespace qm::test {

// The texts of one column of a grid, top to bottom, as the grid shows them.
QStringList GridColumn(const TDBGrid& grid, int column);

// One message box as it was shown.
struct TShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

// Records and closes every modal message box that opens while it lives.
class TBoxRecorder : public QObject {
public:
    TBoxRecorder();
    const std::vector<TShownBox>& Boxes() const { return boxes_; }

private:
    void Answer();

    QTimer timer_;
    std::vector<TShownBox> boxes_;
};

} // namespace qm::test
