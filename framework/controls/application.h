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

// Shows the exception being handled in the standard box when a TApplication runs; anywhere else
// (a test of one layer on a plain QApplication) it goes on to the caller. Call it from a catch.
void ReportHandlerException();

// Runs a handler so that an exception it raises is reported right there instead of unwinding
// through the toolkit's widget code, which is built without clean-ups and would leak or be left
// half-way (a header still pressed, a button still down).
template <typename Handler> void RunGuarded(Handler&& handler) {
    try {
        handler();
    } catch (...) {
        ReportHandlerException();
    }
}

// A slot for a widget signal that runs `handler` on `receiver` through RunGuarded.
template <typename Receiver, typename... Args>
auto Guarded(Receiver* receiver, void (Receiver::*handler)(Args...)) {
    return [receiver, handler](Args... args) { RunGuarded([&] { (receiver->*handler)(args...); }); };
}

} // namespace qm
