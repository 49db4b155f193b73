#pragma once
// How both programs read the arguments of their commands. A command is described once (its
// positional arguments, its options with their accepted values and defaults); parsing, the usage
// line, `help COMMAND` and the messages for wrong values all come from that one description, so
// that they cannot disagree. QCommandLineParser splits the arguments; the checks of values (words
// from a list, whole numbers in a range) are made here, each refused with the value named.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

class QCommandLineParser;

namespace qm {

// Exit codes of every command of both programs.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1; // the work failed; the reason was printed
inline constexpr int kExitUsage = 2;  // the arguments were wrong

// One value an option accepts: the words that name it (compared without regard to case), the
// first of them the one the help shows.
struct TChoiceValue {
    int value;
    QStringList words;
};

struct TCommandOption {
    QStringList names; // "reduction", or {"j", "jobs"}: one letter is a short option
    QString valueName; // "NAME", "N"; empty for a flag
    QString description;
    QString defaultValue;              // shown by help; the value when the option is absent
    std::vector<TChoiceValue> choices; // when not empty, the value must be one of them
    bool list = false;                 // the value is a comma-separated list of choices
    std::optional<qint64> minimum;     // when set, the value is a whole number from here...
    qint64 maximum = 0;                // ...to here
    bool required = false;
};

// The kinds of option, so that a description reads as what it is. `names` are separated by
// commas: "j,jobs".
TCommandOption FlagOption(const QString& names, const QString& description);
TCommandOption ValueOption(const QString& names, const QString& valueName, const QString& description,
                           const QString& defaultValue = {});
// One of `choices` (or, with `list`, any of them separated by commas).
TCommandOption ChoiceOption(const QString& names, const QString& valueName, const QString& description,
                            const QString& defaultValue, std::vector<TChoiceValue> choices,
                            bool list = false);
TCommandOption NumberOption(const QString& names, const QString& valueName, const QString& description,
                            const QString& defaultValue, qint64 minimum, qint64 maximum);
TCommandOption Required(TCommandOption option);

struct TCommandSpec {
    QString program;  // "quillmere-gif"
    QString name;     // "reduce"
    QString operands; // what follows the options: "IN OUT.bmp"
    QString summary;  // one line
    std::vector<TCommandOption> options;

    // "reduce [--reduction NAME] [--dither NAME] IN OUT.bmp"
    QString Synopsis() const;
    // The synopsis, the summary and every option with its accepted values and default.
    QString Help() const;
};

// A command's arguments once they were accepted.
class TCommandArguments {
public:
    TCommandArguments(const TCommandSpec& spec, const QCommandLineParser& parser);

    bool IsSet(const QString& name) const;
    // The value given last, else the default.
    QString Value(const QString& name) const;
    // The chosen value of a choice (the default's when absent), and of a list of them.
    int Choice(const QString& name) const;
    std::vector<int> Choices(const QString& name) const;
    qint64 Number(const QString& name) const;
    const QStringList& Operands() const { return operands_; }

    // Prints `reason` and the usage line; returns kExitUsage.
    int Refuse(const QString& reason) const;

private:
    const TCommandSpec* spec_;
    QStringList set_;
    std::vector<std::pair<QString, QString>> values_;
    QStringList operands_;
};

// The outcome of reading a command's arguments: the arguments, or the exit code after the help
// (asked for by -h or --help) or a refusal has been printed.
struct TParsedCommand {
    std::optional<TCommandArguments> arguments;
    int exitCode = kExitOk;
};

// `arguments` are those after the command's name.
TParsedCommand ParseCommand(const TCommandSpec& spec, const QStringList& arguments);

// "PROGRAM: text" on the standard error.
void PrintCommandError(const QString& program, const QString& text);
// "usage: PROGRAM COMMAND [ARGS]" and one line per command, for the program's --help.
QString CommandOverview(const QString& program, const QString& introduction,
                        const std::vector<const TCommandSpec*>& commands);

// A whole number from `minimum` to `maximum` written in decimal digits (with a sign).
std::optional<qint64> WholeNumber(const QString& text, qint64 minimum, qint64 maximum);

} // namespace qm
