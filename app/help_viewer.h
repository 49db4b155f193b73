#pragma once
// THelpViewer: the window that shows the help document "Quillmere Help" shipped with the program,
// opened at its contents.

#include <QDialog>

class QTextBrowser;

namespace qm {

class THelpViewer : public QDialog {
    Q_OBJECT
public:
    explicit THelpViewer(QWidget* parent = nullptr);

    // Shows the contents page, in front of the other windows.
    void ShowContents();
    QTextBrowser* Browser() const { return browser_; }

private:
    QTextBrowser* browser_;
};

} // namespace qm
