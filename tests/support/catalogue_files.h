#pragma once
// Helpers of the Jet, transfer, command and desktop tests: the real Jet sample files, the built program run
// in a folder of its own, and catalogues read back row by row with the type of every value.

#include "tests/support/tool_run.h"

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace qm::test {

// A Jet sample of the shared test data (catalogue-small.mdb, nwind.mdb, ...).
QString JetSample(const QString& name);
// Whether the folder of Jet samples (the build setting QM_JET_SAMPLES_DIR) is there.
bool JetSamplesPresent();

// Skips the test when the Jet samples kept outside the repository are absent.
#define QM_NEEDS_JET_SAMPLES()                                                                               \
    if (!::qm::test::JetSamplesPresent())                                                                    \
    GTEST_SKIP() << "no Jet samples: set QM_JET_SAMPLES_DIR (now " QM_JET_SAMPLES ")"
// The rows every catalogue sample holds, as the samples' README gives them.
QJsonObject ExpectedSampleCatalogue();

// A working folder with a runtime folder of its own, so that the program's single-instance marker
// does not meet another test's.
class TWorkFolder {
public:
    TWorkFolder();
    QString Path(const QString& name = {}) const;
    // Runs the built quillmere here with `arguments`; `extra` adds to its environment.
    ToolRun Run(const QStringList& arguments, const QProcessEnvironment& extra = {}) const;
    QProcessEnvironment Environment() const;
    QString RuntimePath() const { return runtime_.path(); }
    void Copy(const QString& from, const QString& name) const;
    void Write(const QString& name, const QByteArray& bytes) const;
    QByteArray Read(const QString& name) const;

private:
    QTemporaryDir dir_;
    QTemporaryDir runtime_;
};

// Every row of the four tables of a catalogue file as JSON: numbers, texts and nulls as stored.
QJsonObject CatalogueRows(const QString& catalogueFile);

} // namespace qm::test
