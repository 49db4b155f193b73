#include "tests/app/app_test_support.h"

#include "catalogue/catalogue_data.h"

#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace qm::test {

namespace {

struct TSqliteCloser {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
using TSqlite = std::unique_ptr<sqlite3, TSqliteCloser>;

TSqlite OpenSqlite(const QString& fileName) {
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(fileName.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    TSqlite owner(db);
    EXPECT_EQ(rc, SQLITE_OK) << fileName.toStdString();
    return owner;
}

} // namespace

TTempCatalogue::TTempCatalogue() {
    EXPECT_TRUE(dir_.isValid());
}

void TTempCatalogue::Create() const {
    TCatalogueData data(FileName());
}

void TTempCatalogue::Execute(const QString& statements) const {
    TSqlite db = OpenSqlite(FileName());
    char* error = nullptr;
    EXPECT_EQ(sqlite3_exec(db.get(), statements.toUtf8().constData(), nullptr, nullptr, &error), SQLITE_OK)
        << (error ? error : "");
    sqlite3_free(error);
}

QStringList TTempCatalogue::Column(const QString& query) const {
    TSqlite db = OpenSqlite(FileName());
    sqlite3_stmt* statement = nullptr;
    QStringList values;
    if (sqlite3_prepare_v2(db.get(), query.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
        ADD_FAILURE() << sqlite3_errmsg(db.get());
        return values;
    }
    while (sqlite3_step(statement) == SQLITE_ROW)
        values << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(statement, 0)));
    sqlite3_finalize(statement);
    return values;
}

TMessageBoxCatcher::TMessageBoxCatcher() {
    connect(&timer_, &QTimer::timeout, this, &TMessageBoxCatcher::Answer);
    timer_.start(5);
}

void TMessageBoxCatcher::Answer() {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible())
        return;
    texts_ << box->text();
    box->accept();
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
