#include "framework/controls/application.h"

#include <QMessageBox>
#include <exception>

namespace qm {

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

namespace {

// The message of the exception being handled; call it from a catch.
QString CurrentExceptionText() {
    try {
        throw;
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("An unexpected error occurred.");
    }
}

} // namespace

bool TApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ShowException(CurrentExceptionText());
    }
    return false;
}

void TApplication::ShowException(const QString& message) {
    QMessageBox box(QMessageBox::Critical, applicationName(), message, QMessageBox::Ok, activeWindow());
    box.setObjectName(QStringLiteral("ExceptionBox"));
    box.exec();
}

void ReportHandlerException() {
    auto* application = qobject_cast<TApplication*>(QCoreApplication::instance());
    if (application == nullptr)
        throw;
    application->ShowException(CurrentExceptionText());
}

} // namespace qm
