#include "app/command_line.h"

#include <QCommandLineParser>
#include <algorithm>
#include <string_view>
#include <vector>

namespace boardcast {

namespace {

struct Operand {
    const char* name = nullptr;  // in the synopsis; null when the command takes none
    const char* what = nullptr;  // in the error when it is missing
};

struct CommandInfo {
    Command command;
    const char* name;
    std::vector<std::string_view> options;  // its own, besides those every command takes
    Operand operand;                        // goes into CommandLine::url
    const char* summary;                    // one line, for the overview
    const char* description;                // the command's help, wrapped
    // The statuses it can end with, wrapped (the first line after "Exit status: ").
    const char* exitStatus;
};

// One row a command. The desktop program, without a command, has none: it takes addresses.
const std::vector<CommandInfo>& commands() {
    // clang-format off
    static const std::vector<CommandInfo> table{
        {Command::Convert, "convert", {"format", "bare"}, {},
         "writes a message from standard input as the outgoing text",
         "Reads a message from standard input and writes the outgoing text, as Copy makes\n"
         "it, to standard output, bytes unchanged.",
         "0 done; 1 the settings could not be read; 2 a wrong command line."},
        {Command::Watch, "watch", {}, {"URL", "the address of a page"},
         "watches the page at URL for new replies",
         "Watches the page at URL, as \"Watch This Post\" does: adds it to the watched\n"
         "posts, measures its size as the baseline, follows the thread's next-page links\n"
         "to its latest page and measures that, and saves the lists. A thread watched\n"
         "already under another address is measured again instead.",
         "0 done; 1 the page could not be added or measured; 2 a wrong\n"
         "command line; 4 the data folder is held by the desktop program (use \"Watch This\n"
         "Post\" there) or, for more than 5 seconds, by another command."},
        {Command::Check, "check", {"jobs", "per-host", "notify"}, {},
         "prints the watched posts that have new replies",
         "Fetches every watched thread's latest page again and prints the posts with new\n"
         "replies (grown by more than 500 bytes, or gone on to a new page), one a line, in\n"
         "list order. Progress, and each post that could not be fetched with the reason,\n"
         "go to standard error.",
         "0 done; 1 the lists could not be read; 2 a wrong command line;\n"
         "3 some posts could not be checked (the others are printed)."},
        {Command::Posts, "posts", {}, {}, "prints the watched posts",
         "Prints each watched post, its fields tab-separated: address, baseline or \"not\n"
         "measured\", the thread's title, the thread's latest page.",
         "0 done; 1 the lists could not be read; 2 a wrong command line."},
        {Command::Forums, "forums", {}, {}, "prints the forums",
         "Prints each forum: address, tab, username (never the password).",
         "0 done; 1 the lists could not be read; 2 a wrong command line."},
    };
    // clang-format on
    return table;
}

// Who takes an option, and whose help tells of it.
enum class Scope {
    Own,       // the commands whose rows name it
    Every,     // every command and the desktop program
    Overview,  // every command and the desktop program; only the overview tells of it
};

struct OptionInfo {
    const char* shortName;  // empty when there is none
    const char* name;
    const char* valueName;  // empty for a flag
    const char* help;       // wrapped at 58 columns
    Scope scope;
};

const std::vector<OptionInfo>& options() {
    static const std::vector<OptionInfo> table{
        {"", "format", "NAME", "a format chooser entry (default: the remembered choice)",
         Scope::Own},
        {"", "bare", "", "leaves out the two closing line breaks (as Paste Message)", Scope::Own},
        {"", "jobs", "N", "fetches N pages at once (1 to 16, default 8)", Scope::Own},
        {"", "per-host", "M", "fetches at most M of them from one host (1 to 16,\ndefault 6)",
         Scope::Own},
        {"", "notify", "", "also shows a desktop notification naming the posts\nwith new replies",
         Scope::Own},
        {"", "data-dir", "DIR", "the folder that holds the data files", Scope::Every},
        {"h", "help", "", "shows this text", Scope::Every},
        {"v", "version", "", "shows the version", Scope::Overview},
    };
    return table;
}

const CommandInfo* commandNamed(const QString& word) {
    for (const CommandInfo& info : commands()) {
        if (word == QLatin1String(info.name)) return &info;
    }
    return nullptr;
}

const CommandInfo* infoOf(Command command) {
    for (const CommandInfo& info : commands()) {
        if (info.command == command) return &info;
    }
    return nullptr;
}

bool names(const CommandInfo& info, const OptionInfo& option) {
    return std::find(info.options.begin(), info.options.end(), option.name) != info.options.end();
}

// Whether command's help lists option. Only an option of another command is refused.
bool belongsTo(const OptionInfo& option, Command command) {
    switch (option.scope) {
        case Scope::Every:
            return true;
        case Scope::Overview:
            return command == Command::Desktop;
        case Scope::Own:
            break;
    }
    const CommandInfo* info = infoOf(command);
    return info && names(*info, option);
}

// The first command that takes an option of its own (some row names each), for the error
// that names it.
const CommandInfo& firstTaking(const OptionInfo& option) {
    return *std::find_if(commands().begin(), commands().end(),
                         [&option](const CommandInfo& info) { return names(info, option); });
}

std::string optionLabel(const OptionInfo& option) {
    std::string label = *option.shortName ? std::string("-") + option.shortName + ", " : "";
    label += std::string("--") + option.name;
    if (*option.valueName) label += std::string(" ") + option.valueName;
    return label;
}

// After "boardcast NAME": the operand, then the command's own options.
std::string synopsisOf(const CommandInfo& info) {
    std::string text = info.operand.name ? info.operand.name : "";
    for (const OptionInfo& option : options()) {
        if (option.scope != Scope::Own || !names(info, option)) continue;
        if (!text.empty()) text += ' ';
        text += "[" + optionLabel(option) + "]";
    }
    return text;
}

// The options that apply to command, as an indented two-column list.
std::string optionList(Command command) {
    std::string text;
    for (const OptionInfo& option : options()) {
        if (!belongsTo(option, command)) continue;
        std::string label = "  " + optionLabel(option);
        label.resize(std::max<size_t>(label.size() + 2, 21), ' ');
        std::string help = option.help;
        for (size_t at = 0; (at = help.find('\n', at)) != std::string::npos; at += 22) {
            help.insert(at + 1, 21, ' ');
        }
        text += label + help + "\n";
    }
    return text;
}

Error usageError(std::string text) {
    return {ErrorCode::Usage, std::move(text)};
}

std::string toStd(const QString& s) {
    return s.toLocal8Bit().toStdString();
}

// QCommandLineParser would read "-name" as the letters n, a, m, e. An option's value
// ("--data-dir -x") is no option.
Status refuseSingleDashWords(const QStringList& arguments) {
    bool valueNext = false;
    for (const QString& word : arguments) {
        if (word == QLatin1String("--")) break;
        if (!valueNext && word.size() > 2 && word.startsWith(u'-') &&
            !word.startsWith(QLatin1String("--"))) {
            return usageError("Unknown option " + toStd(word) + " (long options start with --).");
        }
        valueNext = !valueNext &&
                    std::any_of(options().begin(), options().end(), [&word](const OptionInfo& o) {
                        return *o.valueName && word == QLatin1String("--") + QLatin1String(o.name);
                    });
    }
    return {};
}

// The command that the first operand names, taken off the operands; null for the desktop
// program, whose operands are addresses.
Result<const CommandInfo*> takeCommand(QStringList& operands) {
    if (operands.isEmpty()) return nullptr;
    if (const CommandInfo* info = commandNamed(operands.first())) {
        operands.removeFirst();
        return info;
    }
    const QString word = operands.first();
    if (isOpenableAddress(word)) return nullptr;
    if (word.contains(QStringLiteral("://"))) {
        return usageError("Cannot open " + toStd(word) +
                          ": only http, https and file addresses are opened.");
    }
    return usageError("Unknown command " + toStd(word) + ".");
}

// The addresses for the desktop program, or a command's one operand if its row names one.
Status takeOperands(const CommandInfo* info, const QStringList& operands, CommandLine& line) {
    if (!info) {
        for (const QString& word : operands) {
            if (!isOpenableAddress(word)) {
                return usageError("Unexpected argument " + toStd(word) +
                                  ": only http, https and file addresses are opened.");
            }
            line.addresses.push_back(toStd(word));
        }
        return {};
    }
    const qsizetype wanted = info->operand.name ? 1 : 0;
    if (operands.size() > wanted) {
        return usageError("Unexpected argument " + toStd(operands[wanted]) + ".");
    }
    if (operands.size() < wanted) {
        return usageError(std::string("The ") + info->name + " command needs " +
                          info->operand.what + ".");
    }
    if (wanted == 1) line.url = toStd(operands[0]);
    return {};
}

// The options' values, once the command is known to take every option given.
Status takeValues(const QCommandLineParser& parser, CommandLine& line) {
    if (parser.isSet(QStringLiteral("data-dir"))) {
        line.dataDir = toStd(parser.value(QStringLiteral("data-dir")));
        if (line.dataDir->empty()) return usageError("--data-dir needs a folder name.");
    }
    if (parser.isSet(QStringLiteral("format"))) {
        line.format = toStd(parser.value(QStringLiteral("format")));
    }
    line.bare = parser.isSet(QStringLiteral("bare"));
    line.notify = parser.isSet(QStringLiteral("notify"));
    for (const auto& [name, value] :
         {std::pair{"jobs", &line.jobs}, std::pair{"per-host", &line.perHost}}) {
        if (!parser.isSet(QLatin1String(name))) continue;
        bool number = false;
        const int n = parser.value(QLatin1String(name)).toInt(&number);
        if (!number || n < 1 || n > kMaxJobs) {
            return usageError(std::string("--") + name + " takes a number from 1 to " +
                              std::to_string(kMaxJobs) + ".");
        }
        *value = n;
    }
    return {};
}

}  // namespace

bool isOpenableAddress(const QString& word) {
    // A line break or other control character would let an address carry more than itself.
    for (QChar c : word) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f) return false;
    }
    const qsizetype colon = word.indexOf(QLatin1Char(':'));
    if (colon <= 0) return false;
    const QString scheme = word.left(colon).toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https") ||
           scheme == QLatin1String("file");
}

Result<CommandLine> parseCommandLine(const QStringList& arguments) {
    if (Status status = refuseSingleDashWords(arguments); !status) return status.error();
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsCompactedShortOptions);
    for (const OptionInfo& option : options()) {
        QStringList names{QLatin1String(option.name)};
        if (*option.shortName) names.prepend(QLatin1String(option.shortName));
        parser.addOption(QCommandLineOption(names, QString(), QLatin1String(option.valueName)));
    }
    if (!parser.parse(QStringList{QStringLiteral("boardcast")} + arguments)) {
        return usageError(toStd(parser.errorText()));
    }

    QStringList operands = parser.positionalArguments();
    const Result<const CommandInfo*> found = takeCommand(operands);
    if (!found) return found.error();
    const CommandInfo* info = found.value();
    const Command command = info ? info->command : Command::Desktop;

    CommandLine line;
    if (parser.isSet(QStringLiteral("help"))) {
        line.command = Command::Help;
        line.helpFor = command;
        return line;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        line.command = Command::Version;
        return line;
    }
    line.command = command;
    for (const OptionInfo& option : options()) {
        // Only options of one command are refused elsewhere.
        if (option.scope == Scope::Own && !belongsTo(option, command) &&
            parser.isSet(QLatin1String(option.name))) {
            return usageError(std::string("--") + option.name + " belongs to the " +
                              firstTaking(option).name + " command.");
        }
    }
    if (Status status = takeOperands(info, operands, line); !status) return status.error();
    if (Status status = takeValues(parser, line); !status) return status.error();
    return line;
}

std::string helpText(Command command) {
    if (const CommandInfo* info = infoOf(command)) {
        const std::string synopsis = synopsisOf(*info);
        return std::string("Usage: boardcast ") + info->name + (synopsis.empty() ? "" : " ") +
               synopsis + " [--data-dir DIR]\n\n" + info->description + "\n\nOptions:\n" +
               optionList(command) + "\nExit status: " + info->exitStatus + "\n";
    }
    std::string list;
    for (const CommandInfo& c : commands()) {
        std::string name = std::string("  ") + c.name;
        name.resize(12, ' ');
        list += name + c.summary + "\n";
    }
    return "Usage: boardcast [--data-dir DIR] [URL...]\n"
           "       boardcast COMMAND [OPTION...]\n"
           "\n"
           "Without a command, opens the desktop program; an http, https or file URL is\n"
           "opened in its browser. When it is already open on the data folder, its window\n"
           "comes to the front and opens the URLs in windows of their own.\n"
           "\n"
           "Commands (\"boardcast COMMAND --help\" tells more):\n" +
           list +
           "\n"
           "Options:\n" +
           optionList(Command::Desktop) +
           "\n"
           "Exit status: 0 done; 1 the command could not do its work; 2 a wrong command\n"
           "line; 3 check: some posts could not be checked (the others are printed); 4 the\n"
           "data folder is held by the desktop program or, for more than 5 seconds, by\n"
           "another command (the desktop program: by a command, or by a desktop program\n"
           "that does not answer).\n";
}

std::string versionText() {
    return std::string("Boardcast ") + BOARDCAST_VERSION + "\n";
}

}  // namespace boardcast
