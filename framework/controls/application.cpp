#include "framework/controls/application.h"

#include <QMessageBox>
#include <exception>

namespace qm {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName(QStringLiteral("Quillmere"));
}

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowException(QStringLiteral("An unexpected error occurred."));
    }
    return false;
}

void TApplication::ShowException(const QString& message) {
    QMessageBox box(QMessageBox::Critical, applicationName(), message, QMessageBox::Ok, activeWindow());
    box.setObjectName(QStringLiteral("ExceptionBox"));
    box.exec();
}

} // namespace qm
