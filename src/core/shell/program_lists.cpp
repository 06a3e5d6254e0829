#include "core/shell/program_lists.h"

#include "core/watching/parallel_check.h"

namespace boardcast {

std::unordered_map<std::string, std::vector<std::string>> accountNamesByHost(
    const ForumAccounts& forums) {
    std::unordered_map<std::string, std::vector<std::string>> names;
    for (int i = 0; i < forums.count(); ++i) {
        const std::string& login = forums.at(i).login;
        const std::string username = login.substr(0, login.find('|'));
        if (username.empty() || username == kEnterUsername) continue;
        names[hostKey(forums.at(i).address)].push_back(username);
    }
    return names;
}

StartupLists loadProgramLists(const std::string& folder) {
    StartupLists startup;
    // A list cut at its cap is shown but never written back: writing it would delete the
    // entries that were left out.
    constexpr std::string_view kNotStored =
        " Changes to this list are not stored, so that nothing is lost.";
    if (auto posts = loadWatchLists(folder)) {
        startup.lists.posts = std::move(posts.value().list);
        startup.lists.postsLoaded = posts.value().notices.empty();
        for (std::string notice : posts.value().notices)
            startup.problems.push_back(notice += kNotStored);
    } else {
        startup.problems.push_back(
            posts.error().text +
            " The watched posts start empty and their files are left as they are.");
    }
    if (auto forums = loadForums(folder)) {
        startup.lists.forums = std::move(forums.value().accounts);
        startup.lists.forumsLoaded = forums.value().notices.empty();
        for (std::string notice : forums.value().notices)
            startup.problems.push_back(notice += kNotStored);
    } else {
        startup.problems.push_back(forums.error().text +
                                   " The forums start empty and their file is left as it is.");
    }
    return startup;
}

std::vector<Error> saveProgramLists(const std::string& folder, const ProgramLists& lists,
                                    bool passwordsElsewhere) {
    std::vector<Error> failures;
    if (lists.postsLoaded) failures = saveWatchLists(folder, lists.posts);
    if (lists.forumsLoaded) {
        if (Status s = saveForums(folder, lists.forums, passwordsElsewhere); !s)
            failures.push_back(s.error());
    }
    return failures;
}

std::string listSaveFailureMessage(const std::vector<Error>& failures) {
    std::string message =
        "Some lists could not be saved at closing; what changed since they were last saved is "
        "lost:";
    for (const Error& e : failures) {
        message += "\r\n";
        message += e.text;
    }
    return message;
}

}  // namespace boardcast
