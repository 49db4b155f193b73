#include "app/startup.h"

#include "app/catalogue_backup.h"
#include "app/info_dialog.h"
#include "app/jet_startup.h"
#include "app/single_instance.h"
#include "app/tform1.h"
#include "framework/controls/application.h"
#include "gif/gif_graphic_binding.h"
#include "pictures/tform2.h"

#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <exception>

namespace qm {

namespace {

const QString kDatabaseFile = QStringLiteral("swdb.mdb");

constexpr int kExitFailure = 1;

QtMessageHandler previousHandler = nullptr;

[[noreturn]] void EndWithMessage(const QByteArray& text) {
    std::fprintf(stderr, "quillmere: %s\n", text.constData());
    std::fflush(stderr);
    // Nothing may run after a fatal message: destructors and exit handlers would meet the half-made
    // state that raised it.
    std::_Exit(kExitFailure);
}

void HandleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    QByteArray text = message.simplified().toLocal8Bit();
    if (message.contains(QLatin1String("platform plugin")))
        text += " (is the display reachable? Without one, start it under a virtual display: xvfb-run -a "
                "quillmere)";
    EndWithMessage(text);
}

void HandleTermination() {
    QByteArray text = "unexpected failure";
    if (const std::exception_ptr pending = std::current_exception()) {
        try {
            std::rethrow_exception(pending);
        } catch (const std::exception& error) {
            text += QByteArray(": ") + error.what();
        } catch (...) {
            text += ": an exception of an unknown kind";
        }
    }
    EndWithMessage(text);
}

} // namespace

void InstallFailureHandlers() {
    previousHandler = qInstallMessageHandler(HandleMessage);
    std::set_terminate(HandleTermination);
}

bool HasDisplay() {
    return !qEnvironmentVariableIsEmpty("DISPLAY") || !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
           !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM");
}

int RunQuillmere(int argc, char** argv) {
    if (!HasDisplay()) {
        std::fputs("quillmere: no display found; start it under a virtual one with: xvfb-run -a quillmere\n",
                   stderr);
        return 1;
    }
    TSingleInstance instance;
    if (!instance.TryAcquire()) {
        instance.AskRunningCopyToRaise();
        return 0;
    }
    // A command importing into this folder's catalogue right now: the window waits for no one.
    TCatalogueMarker catalogue(kDatabaseFile);
    if (!catalogue.TryAcquire()) {
        std::fputs("quillmere: the catalogue swdb.mdb of this folder is being imported into; start "
                   "Quillmere again when the import has ended\n",
                   stderr);
        return 1;
    }
    TApplication application(argc, argv);
    NameApplication(application);
    if (!OfferJetConversion(application, kDatabaseFile, QCoreApplication::applicationFilePath()))
        return 0;
    ArmCatalogueBackup(kDatabaseFile);
    return RunMainWindow(application, &instance, kDatabaseFile);
}

void NameApplication(TApplication& application) {
    application.setApplicationName(QStringLiteral("Quillmere"));
}

int RunMainWindow(TApplication& application, TSingleInstance* instance, const QString& databaseFile) {
    try {
        InitializeGIFImage();
        // The windows in their order of creation: the main window, the About dialog (its plasma
        // runs from here on), the picture viewer. The dialogs stay hidden until used.
        TForm1 form(databaseFile);
        ShowCatalogueFile(form, databaseFile);
        TInfo info;
        form.SetAboutDialog(&info);
        TForm2 form2;
        form.Pictures.SetViewer(&form2);
        if (instance != nullptr) {
            QObject::connect(instance, &TSingleInstance::RaiseRequested, &form, &TForm1::BringToFront);
            instance->Listen();
        }
        form.show();
        application.exec();
    } catch (const std::exception& e) {
        application.ShowException(QString::fromUtf8(e.what()));
    }
    return 0;
}

} // namespace qm
