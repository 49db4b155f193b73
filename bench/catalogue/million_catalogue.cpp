#include "bench/catalogue/million_catalogue.h"

#include "catalogue/db/catalogue_schema.h"
#include "framework/data/sqlite_connection.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <array>

namespace qm::bench {

namespace {

const std::array<const char*, 24> kWords{"chess",  "board", "Game",   "tool",   "Editor", "music",
                                         "paint",  "ZIP",   "disk",   "net",    "office", "viewer",
                                         "player", "cards", "puzzle", "racing", "Space",  "font",
                                         "clock",  "mail",  "sound",  "photo",  "Müller", "Ärger"};

QString Words(QRandomGenerator& random, int count) {
    QStringList words;
    for (int i = 0; i < count; ++i)
        words << QLatin1String(kWords[random.bounded(static_cast<int>(kWords.size()))]);
    return words.join(QLatin1Char(' '));
}

bool Complete(const QString& file) {
    if (!QFile::exists(file))
        return false;
    TSQLiteConnection connection(file, TOpenMode::omReadOnly);
    TSQLiteStatement count = connection.Prepare(QStringLiteral("SELECT max(ID) FROM SOFTWARE"));
    return count.Step() && count.ColumnInt64(0) == kMillionRows;
}

void Fill(const QString& file) {
    TSQLiteConnection connection(file, TOpenMode::omCreate);
    connection.Execute(QStringLiteral("PRAGMA journal_mode = OFF; PRAGMA synchronous = OFF"));
    InTransaction(connection, [&] {
        CreateCatalogueSchema(connection);
        TSQLiteStatement insert = connection.Prepare(QStringLiteral(
            "INSERT INTO SOFTWARE (Name, CDID, CategoryID, TypeID, Keywords, Description, Path) "
            "VALUES (?1, ?2, ?3, ?4, ?5, ?6, '')"));
        QRandomGenerator random(2026);
        for (int i = 0; i < kMillionRows; ++i) {
            insert.Bind(1, Words(random, 2) + QLatin1Char(' ') + QString::number(i));
            insert.Bind(2, random.bounded(1, 300));
            insert.Bind(3, random.bounded(1, 40));
            insert.Bind(4, random.bounded(1, 12));
            insert.Bind(5, Words(random, 3));
            insert.Bind(6, Words(random, 40).leftJustified(200, QLatin1Char('.'), true));
            insert.Step();
            insert.Reset();
        }
    });
}

} // namespace

QString MillionCatalogue() {
    QDir dir(QDir::temp().filePath(QStringLiteral("quillmere-bench")));
    dir.mkpath(QStringLiteral("."));
    const QString file = dir.filePath(QStringLiteral("swdb-1000000.mdb"));
    if (Complete(file))
        return file;
    const QString partial = file + QStringLiteral(".partial");
    QFile::remove(partial);
    Fill(partial);
    QFile::remove(file);
    QFile::rename(partial, file);
    return file;
}

} // namespace qm::bench
