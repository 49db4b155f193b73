#pragma once
// Helpers of the shell tests: catalogues in temporary folders and a window shown over one.

#include "tests/support/message_box_recorder.h"

#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace qm::test {

// A catalogue file in a folder of its own that disappears with the object.
class TTempCatalogue {
public:
    TTempCatalogue();
    QString FileName() const { return dir_.filePath(QStringLiteral("swdb.mdb")); }
    QString Path(const QString& name) const { return dir_.filePath(name); }
    // Creates the empty catalogue the program would create.
    void Create() const;
    // Runs statements on the file with the plain SQLite library.
    void Execute(const QString& statements) const;
    // The first column of the rows of `query`, as text.
    QStringList Column(const QString& query) const;

private:
    QTemporaryDir dir_;
};

// The whole contents of a file.
QByteArray ReadFile(const QString& fileName);

} // namespace qm::test

namespace qm {
class TForm1;
}

namespace qm::test {

// A main window over a temporary catalogue, shown and active, with three rows in each table.
class TShownForm {
public:
    TShownForm();
    ~TShownForm();
    TForm1& Form() { return *form_; }
    const TTempCatalogue& Catalogue() const { return catalogue_; }

private:
    TTempCatalogue catalogue_;
    std::unique_ptr<TForm1> form_;
};

} // namespace qm::test
