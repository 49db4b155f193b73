#include "app/help_viewer.h"

#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace qm {

namespace {

const QUrl kHelpContents(QStringLiteral("qrc:/help/Quillmere Help.html"));

} // namespace

THelpViewer::THelpViewer(QWidget* parent) : QDialog(parent), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("HelpViewer"));
    setWindowTitle(QStringLiteral("Quillmere Help"));
    // An open help window must not keep the program running once the main window has closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    browser_->setObjectName(QStringLiteral("HelpBrowser"));
    browser_->setOpenExternalLinks(true);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(560, 480);
}

void THelpViewer::ShowContents() {
    browser_->setSource(kHelpContents);
    show();
    raise();
    activateWindow();
}

} // namespace qm
