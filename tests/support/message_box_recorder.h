#pragma once
// Records and closes every modal message box that opens while a widget test runs.

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <vector>

namespace qm::test {

// One message box as it was shown.
struct TShownBox {
    QString caption;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
};

// Accepts each modal message box that opens while it lives, keeping what it showed in order.
class TMessageBoxRecorder : public QObject {
public:
    TMessageBoxRecorder();
    const std::vector<TShownBox>& Boxes() const { return boxes_; }
    // The texts of the boxes, in order.
    QStringList Texts() const;

private:
    void Answer();

    QTimer timer_;
    std::vector<TShownBox> boxes_;
};

} // namespace qm::test
