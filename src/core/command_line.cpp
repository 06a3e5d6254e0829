#include "core/command_line.h"

#include <string_view>

namespace boardcast {

namespace {

Error usageError(std::string text) { return {ErrorCode::Usage, std::move(text)}; }

}  // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::optional<std::string> commandWord;
    std::vector<std::string> operands;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::optional<std::string> inlineValue;
        if (arg.starts_with("--")) {
            if (size_t eq = arg.find('='); eq != std::string_view::npos) {
                inlineValue = std::string(arg.substr(eq + 1));
                arg = arg.substr(0, eq);
            }
        }
        auto takeValue = [&](std::optional<std::string>& into) -> Result<bool> {
            if (inlineValue) {
                into = *inlineValue;
            } else if (i + 1 < args.size()) {
                into = args[++i];
            } else {
                return usageError("Option " + std::string(arg) + " needs a value.");
            }
            return true;
        };
        if (arg == "--data-dir" || arg == "--format") {
            auto r = takeValue(arg == "--data-dir" ? line.dataDir : line.format);
            if (!r) return r.error();
        } else if (arg == "--bare" && !inlineValue) {
            line.bare = true;
        } else if ((arg == "--help" || arg == "-h") && !inlineValue) {
            line.command = Command::Help;
            return line;
        } else if (arg.starts_with("-")) {
            return usageError("Unknown option " + std::string(args[i]) + ".");
        } else if (commandWord) {
            operands.emplace_back(arg);
        } else {
            commandWord = std::string(arg);
        }
    }

    if (!commandWord) {
        line.command = Command::Desktop;
    } else if (*commandWord == "convert") {
        line.command = Command::Convert;
    } else if (*commandWord == "watch") {
        line.command = Command::Watch;
    } else if (*commandWord == "check") {
        line.command = Command::Check;
    } else if (*commandWord == "posts") {
        line.command = Command::Posts;
    } else if (*commandWord == "forums") {
        line.command = Command::Forums;
    } else {
        return usageError("Unknown command " + *commandWord + ".");
    }
    size_t wanted = line.command == Command::Watch ? 1 : 0;
    if (operands.size() > wanted) return usageError("Unexpected argument " + operands[wanted] + ".");
    if (operands.size() < wanted) return usageError("The watch command needs the address of a page.");
    if (wanted == 1) line.url = operands[0];
    if (line.command != Command::Convert && (line.format || line.bare)) {
        return usageError("--format and --bare belong to the convert command.");
    }
    if (line.dataDir && line.dataDir->empty()) {
        return usageError("--data-dir needs a folder name.");
    }
    return line;
}

std::string usageText() {
    return "Usage: boardcast [COMMAND] [--data-dir DIR]\n"
           "\n"
           "Without a command, opens the desktop program.\n"
           "\n"
           "Commands:\n"
           "  convert [--format NAME] [--bare]\n"
           "      Reads a message from standard input and writes the outgoing text to\n"
           "      standard output. NAME is a format chooser entry (default: the remembered\n"
           "      choice); --bare leaves out the two closing line breaks.\n"
           "  watch URL\n"
           "      Watches the page at URL: adds it to the watched posts, measures its\n"
           "      size as the baseline and saves the lists.\n"
           "  check\n"
           "      Fetches every watched post again and prints those with new replies\n"
           "      (grown by more than 500 bytes); progress goes to standard error.\n"
           "  posts\n"
           "      Prints each watched post: address, tab, baseline size.\n"
           "  forums\n"
           "      Prints each forum: address, tab, username.\n"
           "\n"
           "Options:\n"
           "  --data-dir DIR   the folder that holds the data files\n"
           "  --help           shows this text\n";
}

}  // namespace boardcast
