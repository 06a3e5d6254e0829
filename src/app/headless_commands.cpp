#include "app/headless_commands.h"

#include "core/text/address_text.h"

#include <cstdio>
#include <iostream>
#include <iterator>
#include <string>

#include "core/conversion/link_templates.h"
#include "core/conversion/message_output.h"
#include "core/forums/forum_accounts.h"
#include "core/watching/watch_lists.h"
#include "platform/qt_settings_store.h"

namespace boardcast {

namespace {

// Reads standard input as bytes, unchanged.
bool readAll(std::FILE* in, std::string& into) {
    char buffer[65536];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) into.append(buffer, n);
    return std::ferror(in) == 0;
}

void printNotices(const std::vector<std::string>& notices) {
    for (const std::string& notice : notices) std::cerr << "boardcast: " << notice << "\n";
}

int failWith(const Error& error) {
    std::cerr << "boardcast: " << error.text << "\n";
    return 1;
}

int finishOutput() {
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "boardcast: could not write to standard output.\n";
        return 1;
    }
    return 0;
}

}  // namespace

int runConvert(const CommandLine& line) {
    std::string message;
    if (!readAll(stdin, message)) {
        std::cerr << "boardcast: could not read the message from standard input.\n";
        return 1;
    }
    QtSettingsStore store;
    TemplateTable table = loadTemplates(store);
    std::string chooserText;
    if (line.format) {
        chooserText = *line.format;
    } else {
        std::vector<std::string> entries = formatChooserEntries(table);
        chooserText = entries[static_cast<size_t>(restoredChooserIndex(store, entries))];
    }
    std::string out = line.bare ? bareMessageText(message, chooserText, table)
                                : outgoingText(message, chooserText, table);
    if (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0) {
        std::cerr << "boardcast: could not write the converted message to standard output.\n";
        return 1;
    }
    return 0;
}

int runPosts(const std::string& folder) {
    auto loaded = loadWatchLists(folder);
    if (!loaded) return failWith(loaded.error());
    printNotices(loaded.value().notices);
    const WatchList& list = loaded.value().list;
    for (const WatchedPost& post : list.posts()) {
        const PostDetails& d = list.detailsOf(post.address);
        std::cout << escapedField(withHiddenPassword(post.address)) << '\t' << post.size << '\t'
                  << escapedField(d.title) << '\t' << escapedField(withHiddenPassword(d.latestPage))
                  << '\t' << (d.latestPostCount >= 0 ? std::to_string(d.latestPostCount) : "")
                  << '\n';
    }
    return finishOutput();
}

int runForums(const std::string& folder) {
    auto loaded = loadForums(folder);
    if (!loaded) return failWith(loaded.error());
    printNotices(loaded.value().notices);
    for (const Forum& forum : loaded.value().accounts.forums()) {
        // The login entry is username "|" password: print the username alone.
        std::cout << escapedField(withHiddenPassword(forum.address)) << '\t'
                  << escapedField(forum.login.substr(0, forum.login.find('|'))) << '\n';
    }
    return finishOutput();
}

}  // namespace boardcast
