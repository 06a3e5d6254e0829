#pragma once
// The lists the main window holds for the whole run: read from the data files at start,
// written back at an orderly shutdown.

#include <string>
#include <vector>

#include <unordered_map>
#include <vector>

#include "core/forums/forum_accounts.h"
#include "core/result.h"
#include "core/watching/watch_lists.h"

namespace boardcast {

struct ProgramLists {
    WatchList posts;       // lstPosts with lstSizes
    ForumAccounts forums;  // lstPosts2 with lstLogins
    // A list whose files could not be read starts empty and is not written back, so that
    // its files stay as they were instead of being replaced by nothing; a list cut at
    // kMaxListEntries is shown but not written back either.
    bool postsLoaded = false;
    bool forumsLoaded = false;
};

struct StartupLists {
    ProgramLists lists;
    std::vector<std::string> problems;  // readable: files that could not be read, entries left out
};

// The usernames of the user's forums by host (lower case), for telling the user's own posts
// from replies; a forum whose username was never entered gives none.
std::unordered_map<std::string, std::vector<std::string>> accountNamesByHost(
    const ForumAccounts& forums);

// Reads posts.txt and sizes.txt into the watch list and posts2.txt into the forums.
StartupLists loadProgramLists(const std::string& folder);

// Writes the lists that were loaded. Returns one error per file that could not be written.
// passwordsElsewhere: the forums' passwords are kept in the keyring, not in posts2.txt.
std::vector<Error> saveProgramLists(const std::string& folder, const ProgramLists& lists,
                                    bool passwordsElsewhere = false);

// The one message that tells the user which list files could not be written.
std::string listSaveFailureMessage(const std::vector<Error>& failures);

}  // namespace boardcast
