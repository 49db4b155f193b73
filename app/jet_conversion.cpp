#include "app/jet_conversion.h"

#include "framework/core/exceptions.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace qm {

namespace {

// What the reading process said, line by line, as it goes.
struct TChildRun {
    int exitCode = -1;
    bool crashed = false;
    QString message; // its "problem" or "error" line
    TConversionCounts counts;
};

TChildRun RunChild(const QString& program, const QStringList& arguments,
                   const std::function<void(const QString&)>& progress) {
    QProcess process;
    process.setProcessChannelMode(QProcess::SeparateChannels);
    TChildRun run;
    QByteArray pending;
    auto readLines = [&] {
        pending += process.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QStringList fields = QString::fromUtf8(pending.left(end)).split(u'\t');
            pending.remove(0, end + 1);
            const QString kind = fields.value(0);
            if (kind == QLatin1String("progress") && progress)
                progress(QStringLiteral("%1: %2 of %3 rows")
                             .arg(fields.value(1), fields.value(2), fields.value(3)));
            else if (kind == QLatin1String("count"))
                run.counts.emplace_back(fields.value(1), fields.value(2).toLongLong());
            if (kind == QLatin1String("problem") || kind == QLatin1String("error"))
                run.message = fields.mid(1).join(u'\t');
        }
    };
    QEventLoop loop;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, readLines);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&process, &QProcess::errorOccurred, &loop, [&](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            loop.quit();
    });
    process.start(program, arguments);
    if (process.state() != QProcess::NotRunning)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    readLines();
    run.crashed = process.exitStatus() != QProcess::NormalExit || process.error() == QProcess::FailedToStart;
    run.exitCode = run.crashed ? -1 : process.exitCode();
    return run;
}

QString DamagedMessage(const QString& jetFile, const TChildRun& run) {
    if (!run.message.isEmpty())
        return run.message;
    return QStringLiteral("The Jet database '%1' cannot be read: it is damaged (the reader stopped %2)")
        .arg(jetFile,
             run.crashed ? QStringLiteral("abnormally") : QStringLiteral("with code %1").arg(run.exitCode));
}

void SyncPath(const QString& path, int flags) {
    const int fd = ::open(QFile::encodeName(path).constData(), flags);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

QString JetCatalogueProblem(const QString& program, const QString& jetFile) {
    const TChildRun run = RunChild(program, {QLatin1String(kJetCheckCommand), jetFile}, {});
    if (run.exitCode == 0)
        return {};
    return DamagedMessage(jetFile, run);
}

TConversionCounts ConvertJetCatalogue(const QString& program, const QString& jetFile, const QString& newFile,
                                      const std::function<void(const QString& line)>& progress) {
    const TChildRun run = RunChild(program, {QLatin1String(kJetConvertCommand), jetFile, newFile}, progress);
    if (run.exitCode == 0)
        return run.counts;
    QFile::remove(newFile);
    throw Exception(DamagedMessage(jetFile, run).toStdString());
}

QString FreeJetKeepName(const QString& databaseFile) {
    QString name = databaseFile + QStringLiteral(".jet");
    for (int number = 2; QFileInfo::exists(name); ++number)
        name = QStringLiteral("%1.%2.jet").arg(databaseFile).arg(number);
    return name;
}

void ReplaceFile(const QString& finished, const QString& target) {
    SyncPath(finished, O_RDONLY);
    if (std::rename(QFile::encodeName(finished).constData(), QFile::encodeName(target).constData()) != 0)
        throw Exception(QStringLiteral("The file '%1' cannot be put in place of '%2'")
                            .arg(finished, target)
                            .toStdString());
    SyncPath(QFileInfo(target).absolutePath(), O_RDONLY | O_DIRECTORY);
}

QString ConversionFileName(const QString& databaseFile) {
    return QStringLiteral("%1.%2.converting").arg(databaseFile).arg(QCoreApplication::applicationPid());
}

} // namespace qm
