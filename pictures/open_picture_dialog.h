#pragma once
// TOpenPictureDialog: the open-file dialog of the picture pane, with a preview of the picture the
// cursor is on. Its filter is written in the pane's "Description|patterns|..." form.

#include <QFileDialog>

class QLabel;

namespace qm {

class TOpenPictureDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TOpenPictureDialog(QWidget* parent = nullptr);

    // "Description|*.a;*.b|..." pairs; the first entry is selected.
    void SetFilter(const QString& filter);
    // Runs the dialog; true with FileName() set when the user chose a file.
    bool Execute();
    QString FileName() const { return fileName_; }

    QLabel* Preview() const { return preview_; }

private:
    void ShowPreview(const QString& path);

    QLabel* preview_;
    QString fileName_;
};

// The pane's filter as the toolkit writes name filters: each description keeps its text and is
// followed by its patterns in parentheses, separated by spaces.
QStringList NameFiltersOf(const QString& filter);

} // namespace qm
