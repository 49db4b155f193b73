#include "framework/core/command_options.h"

#include <QCommandLineParser>
#include <algorithm>
#include <cstdio>
#include <limits>

namespace qm {

namespace {

QString Dashed(const QString& name) {
    return (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
}

// "-j, --jobs"
QString AllNames(const TCommandOption& option) {
    QStringList names;
    for (const QString& name : option.names)
        names << Dashed(name);
    return names.join(QStringLiteral(", "));
}

// The words help shows: the first of each value.
QStringList ShownWords(const TCommandOption& option) {
    QStringList words;
    for (const TChoiceValue& choice : option.choices)
        words << choice.words.front();
    return words;
}

const TChoiceValue* FindChoice(const TCommandOption& option, const QString& word) {
    for (const TChoiceValue& choice : option.choices)
        if (choice.words.contains(word, Qt::CaseInsensitive))
            return &choice;
    return nullptr;
}

QStringList ListedWords(const TCommandOption& option, const QString& value) {
    return option.list ? value.split(u',', Qt::SkipEmptyParts) : QStringList{value};
}

// "a whole number from 1 to 8", "a whole number of at least 1", or for any int "a whole number".
QString NumberText(const TCommandOption& option) {
    if (*option.minimum <= std::numeric_limits<int>::min() &&
        option.maximum >= std::numeric_limits<int>::max())
        return QStringLiteral("a whole number");
    if (option.maximum == std::numeric_limits<qint64>::max())
        return QStringLiteral("a whole number of at least %1").arg(*option.minimum);
    return QStringLiteral("a whole number from %1 to %2").arg(*option.minimum).arg(option.maximum);
}

// Why `value` is no value of `option`; empty when it is one.
QString ValueProblem(const TCommandOption& option, const QString& value) {
    const QString name = Dashed(option.names.back());
    if (!option.choices.empty()) {
        for (const QString& word : ListedWords(option, value))
            if (FindChoice(option, word) == nullptr)
                return QStringLiteral("%1 does not accept '%2'; accepted: %3")
                    .arg(name, word, ShownWords(option).join(QStringLiteral(", ")));
    }
    if (option.minimum && !WholeNumber(value, *option.minimum, option.maximum))
        return QStringLiteral("%1 wants %2, not '%3'").arg(name, NumberText(option), value);
    return {};
}

void Print(std::FILE* stream, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
}

int PrintRefusal(const TCommandSpec& spec, const QString& reason) {
    PrintCommandError(spec.program, reason);
    Print(stderr, QStringLiteral("usage: %1 %2\n(%1 help %3 lists every option)\n")
                      .arg(spec.program, spec.Synopsis(), spec.name));
    return kExitUsage;
}

const TCommandOption* FindOption(const TCommandSpec& spec, const QString& name) {
    const auto found =
        std::find_if(spec.options.begin(), spec.options.end(),
                     [&name](const TCommandOption& option) { return option.names.contains(name); });
    return found == spec.options.end() ? nullptr : &*found;
}

const TCommandOption& OptionNamed(const TCommandSpec& spec, const QString& name) {
    const TCommandOption* option = FindOption(spec, name);
    Q_ASSERT(option != nullptr);
    return *option;
}

} // namespace

TCommandOption FlagOption(const QString& names, const QString& description) {
    TCommandOption option;
    option.names = names.split(u',');
    option.description = description;
    return option;
}

TCommandOption ValueOption(const QString& names, const QString& valueName, const QString& description,
                           const QString& defaultValue) {
    TCommandOption option = FlagOption(names, description);
    option.valueName = valueName;
    option.defaultValue = defaultValue;
    return option;
}

TCommandOption ChoiceOption(const QString& names, const QString& valueName, const QString& description,
                            const QString& defaultValue, std::vector<TChoiceValue> choices, bool list) {
    TCommandOption option = ValueOption(names, valueName, description, defaultValue);
    option.choices = std::move(choices);
    option.list = list;
    return option;
}

TCommandOption NumberOption(const QString& names, const QString& valueName, const QString& description,
                            const QString& defaultValue, qint64 minimum, qint64 maximum) {
    TCommandOption option = ValueOption(names, valueName, description, defaultValue);
    option.minimum = minimum;
    option.maximum = maximum;
    return option;
}

TCommandOption Required(TCommandOption option) {
    option.required = true;
    return option;
}

QString TCommandSpec::Synopsis() const {
    QStringList parts{name};
    for (const TCommandOption& option : options) {
        QString part = Dashed(option.names.front());
        if (!option.valueName.isEmpty()) {
            const bool few = !option.choices.empty() && option.choices.size() <= 3 && !option.list;
            part += u' ' + (few ? ShownWords(option).join(u'|') : option.valueName);
        }
        parts << (option.required ? part : u'[' + part + u']');
    }
    if (!operands.isEmpty())
        parts << operands;
    return parts.join(u' ');
}

QString TCommandSpec::Help() const {
    QString text = QStringLiteral("usage: %1 %2\n%3\n\noptions:\n").arg(program, Synopsis(), summary);
    for (const TCommandOption& option : options) {
        text += QStringLiteral("  %1%2\n      %3")
                    .arg(AllNames(option), option.valueName.isEmpty() ? QString() : u' ' + option.valueName,
                         option.description);
        if (!option.choices.empty())
            text += QStringLiteral("\n      %1: %2")
                        .arg(option.list ? QStringLiteral("any of") : QStringLiteral("one of"),
                             ShownWords(option).join(QStringLiteral(", ")));
        if (option.minimum)
            text += QStringLiteral("\n      ") + NumberText(option);
        if (!option.defaultValue.isEmpty())
            text += QStringLiteral("\n      default: %1").arg(option.defaultValue);
        text += u'\n';
    }
    return text + QStringLiteral("  -h, --help\n      show this help\n");
}

TCommandArguments::TCommandArguments(const TCommandSpec& spec, const QCommandLineParser& parser)
    : spec_(&spec), operands_(parser.positionalArguments()) {
    for (const TCommandOption& option : spec.options) {
        const QString& key = option.names.back();
        if (!parser.isSet(key))
            continue;
        set_ << key;
        if (!option.valueName.isEmpty())
            values_.emplace_back(key, parser.value(key));
    }
}

bool TCommandArguments::IsSet(const QString& name) const {
    return set_.contains(OptionNamed(*spec_, name).names.back());
}

QString TCommandArguments::Value(const QString& name) const {
    const TCommandOption& option = OptionNamed(*spec_, name);
    for (const auto& [key, value] : values_)
        if (key == option.names.back())
            return value;
    return option.defaultValue;
}

int TCommandArguments::Choice(const QString& name) const {
    const TChoiceValue* choice = FindChoice(OptionNamed(*spec_, name), Value(name));
    return choice != nullptr ? choice->value : -1;
}

std::vector<int> TCommandArguments::Choices(const QString& name) const {
    const TCommandOption& option = OptionNamed(*spec_, name);
    std::vector<int> values;
    for (const QString& word : ListedWords(option, Value(name)))
        if (const TChoiceValue* choice = FindChoice(option, word))
            values.push_back(choice->value);
    return values;
}

qint64 TCommandArguments::Number(const QString& name) const {
    const TCommandOption& option = OptionNamed(*spec_, name);
    return WholeNumber(Value(name), option.minimum.value_or(0), option.maximum).value_or(0);
}

int TCommandArguments::Refuse(const QString& reason) const {
    return PrintRefusal(*spec_, reason);
}

TParsedCommand ParseCommand(const TCommandSpec& spec, const QStringList& arguments) {
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    parser.addOption(help);
    for (const TCommandOption& option : spec.options) {
        QCommandLineOption parserOption(option.names);
        parserOption.setValueName(option.valueName);
        parser.addOption(parserOption);
    }
    if (!parser.parse(QStringList{spec.program} + arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        return {std::nullopt,
                PrintRefusal(spec, unknown.isEmpty() ? parser.errorText()
                                                     : QStringLiteral("%1 does not know the option '%2'")
                                                           .arg(spec.name, Dashed(unknown.front())))};
    }
    if (parser.isSet(help)) {
        Print(stdout, spec.Help());
        return {std::nullopt, kExitOk};
    }
    for (const TCommandOption& option : spec.options) {
        const QString& key = option.names.back();
        if (option.required && !parser.isSet(key))
            return {
                std::nullopt,
                PrintRefusal(spec,
                             QStringLiteral("%1 needs %2 %3").arg(spec.name, Dashed(key), option.valueName))};
        for (const QString& value : parser.values(key))
            if (const QString problem = ValueProblem(option, value); !problem.isEmpty())
                return {std::nullopt, PrintRefusal(spec, problem)};
    }
    return {TCommandArguments(spec, parser), kExitOk};
}

void PrintCommandError(const QString& program, const QString& text) {
    Print(stderr, program + QStringLiteral(": ") + text + u'\n');
}

QString CommandOverview(const QString& program, const QString& introduction,
                        const std::vector<const TCommandSpec*>& commands) {
    QString text = QStringLiteral("usage: %1 COMMAND [ARGS]\n\n").arg(program);
    if (!introduction.isEmpty())
        text += introduction + QStringLiteral("\n\n");
    text += QStringLiteral("commands:\n");
    for (const TCommandSpec* command : commands)
        text += QStringLiteral("  %1\n      %2\n").arg(command->Synopsis(), command->summary);
    return text +
           QStringLiteral("\n%1 help COMMAND (or %1 COMMAND --help) lists a command's options and their "
                          "values.\n")
               .arg(program);
}

std::optional<qint64> WholeNumber(const QString& text, qint64 minimum, qint64 maximum) {
    bool ok = false;
    const qint64 value = text.toLongLong(&ok, 10);
    if (!ok || value < minimum || value > maximum)
        return std::nullopt;
    return value;
}

} // namespace qm
