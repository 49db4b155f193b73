#pragma once
// TApplication: the program's application object. An exception that leaves an event handler is
// shown in the standard message box with its text, and the program goes on with the next event.

#include <QApplication>

namespace qm {

class TApplication : public QApplication {
    Q_OBJECT
public:
    TApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard box for an error: the program's title, an error icon, the text and OK. Modal
    // over the active window; returns when the user has closed it.
    void ShowException(const QString& message);
};

} // namespace qm
