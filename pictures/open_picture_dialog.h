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

protected:
    // The name field opens with its text selected, so that typing replaces the last path.
    void showEvent(QShowEvent* event) override;
    // The name completion's pop-up closes with the dialog: left open, it would float over the
    // main window and swallow the next click.
    void done(int result) override;

private:
    void ShowPreview(const QString& path);

    QLabel* preview_;
    QString fileName_;
};

// The pane's filter as the toolkit writes name filters: each description keeps its text and is
// followed by its patterns in parentheses, separated by spaces.
QStringList NameFiltersOf(const QString& filter);

} // namespace qm
