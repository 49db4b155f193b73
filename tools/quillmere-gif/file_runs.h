#pragma once
// The commands that turn one file into another (copy, optimize, reduce, render) take either
// IN OUT, or -o OUTDIR and any number of inputs worked on side by side (-j N): a folder of small
// files then pays the program's start once. What each input prints is held until the inputs
// before it have printed, so that lines never mix; a failed input names itself and the others
// are still written.

#include "framework/core/command_options.h"

#include <QFileInfo>
#include <QString>
#include <functional>
#include <string>
#include <vector>

namespace qm::tool {

// What the work on one input prints. With several inputs, each line and message names its input.
class TFileOutput {
public:
    TFileOutput(QString input, bool named);

    void Line(const QString& line);           // standard output
    void Warning(const std::string& message); // standard error
    void Error(const std::string& message);
    const std::string& Out() const { return out_; }
    const std::string& Err() const { return err_; }
    bool Failed() const { return failed_; }

private:
    QString input_;
    bool named_;
    std::string out_;
    std::string err_;
    bool failed_ = false;
};

// A command's own options followed by -o OUTDIR and -j N.
std::vector<TCommandOption> WithFileOptions(std::vector<TCommandOption> options);
// "IN OUT | IN..." (the second with -o) for the commands' synopses.
QString FileOperands(const QString& in, const QString& out);

// Writes `output` from `input`; throws on failure.
using TFileWork = std::function<void(const QString& input, const QString& output, TFileOutput& report)>;

// Runs `work` for IN OUT, or for every input with -o OUTDIR (written as OUTDIR/`outputName`);
// kExitFailed when any input failed, kExitUsage after a refusal.
int RunFiles(const TCommandArguments& arguments, const std::function<QString(const QFileInfo&)>& outputName,
             const TFileWork& work);

} // namespace qm::tool
