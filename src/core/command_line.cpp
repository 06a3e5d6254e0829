#include "core/command_line.h"

#include <charconv>
#include <string_view>

namespace boardcast {

namespace {

Error usageError(std::string text) { return {ErrorCode::Usage, std::move(text)}; }

}  // namespace

Result<CommandLine> parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    std::optional<std::string> commandWord;
    std::vector<std::string> operands;
    bool jobsGiven = false;
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
        } else if (arg == "--jobs") {
            std::optional<std::string> value;
            auto r = takeValue(value);
            if (!r) return r.error();
            int jobs = 0;
            auto [end, ec] = std::from_chars(value->data(), value->data() + value->size(), jobs);
            if (ec != std::errc() || end != value->data() + value->size() || jobs < 1 ||
                jobs > kMaxJobs) {
                return usageError("--jobs takes a number from 1 to " + std::to_string(kMaxJobs) + ".");
            }
            line.jobs = jobs;
            jobsGiven = true;
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
    if (jobsGiven && line.command != Command::Check) {
        return usageError("--jobs belongs to the check command.");
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
           "  check [--jobs N]\n"
           "      Fetches every watched post again and prints those with new replies\n"
           "      (grown by more than 500 bytes), in list order; progress and the posts\n"
           "      that could not be fetched go to standard error. N pages (1 to 16,\n"
           "      default 1) are fetched at once, at most 2 from one host.\n"
           "  posts\n"
           "      Prints each watched post: address, tab, baseline size.\n"
           "  forums\n"
           "      Prints each forum: address, tab, username.\n"
           "\n"
           "Options:\n"
           "  --data-dir DIR   the folder that holds the data files\n"
           "  --help           shows this text\n"
           "\n"
           "Exit status: 0 done; 1 the command could not do its work (a list could not be\n"
           "read or written, watch could not measure the page); 2 a wrong command line;\n"
           "3 check: some posts could not be checked (the others are printed); 4 watch: the\n"
           "data folder is held by the desktop program (use Watch This Post there) or, for\n"
           "more than 5 seconds, by another command.\n";
}

}  // namespace boardcast
