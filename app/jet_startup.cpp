#include "app/jet_startup.h"

#include "app/jet_conversion.h"
#include "framework/controls/application.h"
#include "framework/core/exceptions.h"
#include "jet/jet_database.h"

#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMessageBox>
#include <QProgressDialog>
#include <QStatusBar>

namespace qm {

namespace {

const QString kCaption = QStringLiteral("Quillmere V1.02");

bool UserWantsConversion(const QString& databaseFile, const QString& keepName) {
    const QString name = QFileInfo(databaseFile).fileName();
    const QString text =
        QStringLiteral(
            "The catalogue '%1' is kept in the older Jet format. Convert it to the current format?\n\n"
            "The file is kept unchanged as '%2', and a new catalogue with all its rows takes the name "
            "'%1'. No leaves everything as it is and ends the program.")
            .arg(name, QFileInfo(keepName).fileName());
    return QMessageBox::question(nullptr, kCaption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
}

void Convert(const QString& databaseFile, const QString& keepName, const QString& converter) {
    if (!QFile::copy(databaseFile, keepName))
        throw Exception(
            QStringLiteral("The file '%1' cannot be kept as '%2'").arg(databaseFile, keepName).toStdString());
    const QString newFile = ConversionFileName(databaseFile);
    QProgressDialog progress(QStringLiteral("Converting '%1'...").arg(QFileInfo(databaseFile).fileName()),
                             QString(), 0, 0);
    progress.setWindowTitle(kCaption);
    progress.setMinimumDuration(500);
    try {
        ConvertJetCatalogue(converter, databaseFile, newFile,
                            [&](const QString& line) { progress.setLabelText(line); });
        ReplaceFile(newFile, databaseFile);
    } catch (...) {
        QFile::remove(newFile);
        QFile::remove(keepName); // nothing changes when the conversion fails
        throw;
    }
}

} // namespace

bool OfferJetConversion(TApplication& application, const QString& databaseFile, const QString& converter) {
    if (!LooksLikeJetFile(databaseFile))
        return true;
    try {
        const QString problem = JetCatalogueProblem(converter, databaseFile);
        if (!problem.isEmpty())
            throw Exception(problem.toStdString());
        const QString keepName = FreeJetKeepName(databaseFile);
        if (!UserWantsConversion(databaseFile, keepName))
            return false;
        Convert(databaseFile, keepName, converter);
        return true;
    } catch (const std::exception& error) {
        application.ShowException(QString::fromUtf8(error.what()));
        return false;
    }
}

void ShowCatalogueFile(QMainWindow& window, const QString& databaseFile) {
    auto* label = new QLabel(QFileInfo(databaseFile).absoluteFilePath(), window.statusBar());
    label->setObjectName(QStringLiteral("LabelCatalogueFile"));
    window.statusBar()->addPermanentWidget(label);
}

} // namespace qm
