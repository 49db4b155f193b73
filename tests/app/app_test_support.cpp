#include "tests/app/app_test_support.h"

#include "catalogue/db/catalogue_data.h"
#include "tests/support/sqlite_file.h"

#include <QApplication>
#include <QFile>
#include <gtest/gtest.h>

namespace qm::test {

TTempCatalogue::TTempCatalogue() {
    EXPECT_TRUE(dir_.isValid());
}

void TTempCatalogue::Create() const {
    TCatalogueData data(FileName());
}

void TTempCatalogue::Execute(const QString& statements) const {
    ExecuteSql(FileName(), statements);
}

QStringList TTempCatalogue::Column(const QString& query) const {
    return SqlColumn(FileName(), query);
}

QByteArray ReadFile(const QString& fileName) {
    QFile file(fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    return file.readAll();
}

} // namespace qm::test

#include "app/tform1.h"

#include <QTest>

namespace qm::test {

TShownForm::TShownForm() {
    catalogue_.Create();
    catalogue_.Execute(QStringLiteral(
        "INSERT INTO CD (ID, Name) VALUES (1, 'Tools 2'), (2, 'games 1'), (3, 'Archive');"
        "INSERT INTO Category (ID, Name) VALUES (1, 'Utilities'), (2, 'Games'), (3, 'Games');"
        "INSERT INTO Type (ID, Name) VALUES (1, 'Shareware'), (2, 'Freeware'), (3, 'demo');"
        "INSERT INTO SOFTWARE (ID, Name, CDID, CategoryID, TypeID, Keywords, Description) VALUES"
        " (7, 'Zip Tool', 1, 1, 1, 'archive', 'Packs files'),"
        " (2, 'Chess', 2, 2, 2, 'board', 'Plays chess'),"
        " (5, 'Editor', 3, 3, 3, 'text', 'Edits text');"));
    form_ = std::make_unique<TForm1>(catalogue_.FileName());
    form_->show();
    EXPECT_TRUE(QTest::qWaitForWindowActive(form_.get()));
}

TShownForm::~TShownForm() = default;

} // namespace qm::test
