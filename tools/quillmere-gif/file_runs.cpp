#include "tools/quillmere-gif/file_runs.h"

#include "tools/quillmere-gif/command_registry.h"

#include <QDir>
#include <QThread>
#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <thread>

namespace qm::tool {

namespace {

constexpr qint64 kMostJobs = 256;

struct TJob {
    QString input;
    QString output;
};

// The inputs and where each is written; empty after a refusal was printed (`refused` is then set).
std::vector<TJob> Jobs(const TCommandArguments& arguments,
                       const std::function<QString(const QFileInfo&)>& outputName, int& refused) {
    const QStringList& operands = arguments.Operands();
    if (!arguments.IsSet(QStringLiteral("output"))) {
        if (operands.size() != 2) {
            refused = arguments.Refuse(
                QStringLiteral("give one input and its output, or -o OUTDIR and the inputs"));
            return {};
        }
        return {{operands[0], operands[1]}};
    }
    if (operands.isEmpty()) {
        refused = arguments.Refuse(QStringLiteral("-o OUTDIR wants at least one input"));
        return {};
    }
    const QDir folder(arguments.Value(QStringLiteral("output")));
    std::vector<TJob> jobs;
    std::map<QString, QString> inputOf; // by the output's absolute path
    for (const QString& input : operands) {
        const QString output = folder.filePath(outputName(QFileInfo(input)));
        const auto [at, fresh] = inputOf.emplace(QFileInfo(output).absoluteFilePath(), input);
        if (!fresh) {
            // Two inputs of one name in different folders would overwrite each other's result.
            refused = arguments.Refuse(
                QStringLiteral("'%1' and '%2' would both be written as '%3'").arg(at->second, input, output));
            return {};
        }
        jobs.push_back({input, output});
    }
    return jobs;
}

void RunJob(const TJob& job, const TFileWork& work, TFileOutput& report) {
    try {
        work(job.input, job.output, report);
    } catch (const std::exception& e) {
        report.Error(e.what());
    }
}

} // namespace

TFileOutput::TFileOutput(QString input, bool named) : input_(std::move(input)), named_(named) {}

void TFileOutput::Line(const QString& line) {
    out_ += ((named_ ? input_ + u'\t' : QString()) + line + u'\n').toStdString();
}

void TFileOutput::Warning(const std::string& message) {
    err_ += kProgram.toStdString() + ": " + (named_ ? input_.toStdString() + ": " : "") +
            "warning: " + message + "\n";
}

void TFileOutput::Error(const std::string& message) {
    err_ += kProgram.toStdString() + ": " + (named_ ? input_.toStdString() + ": " : "") + message + "\n";
    failed_ = true;
}

std::vector<TCommandOption> WithFileOptions(std::vector<TCommandOption> options) {
    options.push_back(
        ValueOption(QStringLiteral("o,output"), QStringLiteral("OUTDIR"),
                    QStringLiteral("write every input into OUTDIR under its own name (no OUT operand "
                                   "then)")));
    options.push_back(
        NumberOption(QStringLiteral("j,jobs"), QStringLiteral("N"),
                     QStringLiteral("inputs worked on at once with -o; by default as many as there "
                                    "are processors"),
                     QString::number(std::max(1, QThread::idealThreadCount())), 1, kMostJobs));
    return options;
}

QString FileOperands(const QString& in, const QString& out) {
    return QStringLiteral("%1 %2 | %1...").arg(in, out);
}

int RunFiles(const TCommandArguments& arguments, const std::function<QString(const QFileInfo&)>& outputName,
             const TFileWork& work) {
    int refused = kExitOk;
    const std::vector<TJob> jobs = Jobs(arguments, outputName, refused);
    if (jobs.empty())
        return refused;
    const bool named = arguments.IsSet(QStringLiteral("output"));
    if (named && !QDir().mkpath(arguments.Value(QStringLiteral("output")))) {
        PrintCommandError(
            kProgram,
            QStringLiteral("cannot create the folder %1").arg(arguments.Value(QStringLiteral("output"))));
        return kExitFailed;
    }
    std::vector<TFileOutput> reports;
    for (const TJob& job : jobs)
        reports.emplace_back(job.input, named);
    std::mutex mutex;
    std::condition_variable finished;
    std::vector<bool> done(jobs.size(), false);
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < jobs.size(); i = next++) {
            RunJob(jobs[i], work, reports[i]);
            const std::lock_guard lock(mutex);
            done[i] = true;
            finished.notify_all();
        }
    };
    const auto threads = std::min<std::size_t>(
        static_cast<std::size_t>(arguments.Number(QStringLiteral("jobs"))), jobs.size());
    std::vector<std::jthread> workers;
    if (threads == 1)
        worker(); // one input, or -j 1: the work stays on the program's own thread
    for (std::size_t t = 0; t < threads && threads > 1; ++t)
        workers.emplace_back(worker);
    bool failed = false;
    for (std::size_t i = 0; i < jobs.size(); ++i) {
        std::unique_lock lock(mutex);
        finished.wait(lock, [&] { return done[i]; });
        lock.unlock();
        std::fputs(reports[i].Out().c_str(), stdout);
        std::fputs(reports[i].Err().c_str(), stderr);
        std::fflush(stdout);
        failed = failed || reports[i].Failed();
    }
    return failed ? kExitFailed : kExitOk;
}

} // namespace qm::tool
