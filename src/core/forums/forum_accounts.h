#pragma once
// The user's forums (lstPosts2), each with its login entry (lstLogins: username "|"
// password), held as one list of pairs so the two cannot fall out of step; the state of the
// two login fields of the forums panel; and posts2.txt, which carries the list between runs.
//
// The model owns the field texts: the window shows usernameField() / passwordField() and
// reports every edit of a field through setUsernameField() / setPasswordField().

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "core/result.h"
#include "core/storage/text_file.h"

namespace boardcast {

// The username a newly added forum gets until the user enters one.
inline constexpr std::string_view kEnterUsername = "Enter Username";

struct Forum {
    std::string address;  // exactly as the browser reported it
    std::string login;    // username "|" password

    bool operator==(const Forum&) const = default;
};

class ForumAccounts {
public:
    int count() const { return static_cast<int>(forums_.size()); }
    const Forum& at(int index) const { return forums_.at(static_cast<size_t>(index)); }
    const std::vector<Forum>& forums() const { return forums_; }

    int selectedIndex() const { return selected_; }  // -1 when none
    bool fieldsEnabled() const { return fieldsEnabled_; }
    const std::string& usernameField() const { return username_; }
    const std::string& passwordField() const { return password_; }
    const std::string& currentUsername() const { return username_; }
    const std::string& currentPassword() const { return password_; }

    // Selects forum index (out of range: nothing happens), enables the fields and fills
    // them from its login entry: up to its first "|" into the username, all after it (further
    // "|" included; empty when there is none) into the password. An empty entry leaves them
    // as they are. Each field change stores the login, as an edit would.
    void selectForum(int index);

    // An edit of a field: the selected forum's login becomes username "|" password. Nothing
    // is stored while no forum is selected. A username holding "|" is refused (false): the
    // first "|" of a login ends the username.
    bool setUsernameField(std::string text);
    void setPasswordField(std::string text);

    // "Add Current URL": nothing when the address is already listed (exact comparison) or
    // the list is full. Otherwise appends it, selects it, and sets the fields to
    // "Enter Username" and an empty password, which become its login. Returns whether a
    // forum was added.
    bool addCurrentForum(std::string address);

    // "Remove URL": removes the selected forum and its login; afterwards none is selected.
    // The fields keep their text and stay enabled. Nothing happens with no selection.
    void removeForum();

    // For loading: appends without touching selection or fields. False when full.
    bool append(Forum forum);

    // Sets the password of the forum at index (from the keyring), keeping its username; the
    // field shows it when that forum is selected.
    void setPasswordOf(int index, const std::string& password);

    // A forum's name as the user sees it (its site's title, or what the user typed), kept
    // by address in forum-names.txt; empty when it has none.
    const std::string& nameOf(const std::string& address) const;
    void setName(const std::string& address, std::string name);

    // The format (a chooser entry) last used on a forum's pages, kept by address in
    // forum-formats.txt; empty when none.
    const std::string& formatOf(const std::string& address) const;
    void setFormat(const std::string& address, std::string format);

private:
    void storeLogin();

    std::vector<Forum> forums_;
    std::unordered_map<std::string, std::string> names_;
    std::unordered_map<std::string, std::string> formats_;
    int selected_ = -1;
    bool fieldsEnabled_ = false;
    std::string username_;
    std::string password_;
};

struct LoadedForums {
    ForumAccounts accounts;
    std::vector<std::string> notices;  // what was not loaded (more than 32767 forums)
};

// Reads posts2.txt of the folder. Lines that are empty or a single space are skipped; in any
// other line the address runs to the first "|", the username from there to the second "|",
// and the password is everything after that (its own "|" included). A line with fewer
// fields still gets a login entry from what it has.
Result<LoadedForums> loadForums(const std::string& folder);

// (forum-names.txt and forum-formats.txt, when they exist, give names and formats: a line of
// the escaped address, a tab and the escaped name or format.)
// Writes posts2.txt, owner-only (0600) since it holds passwords: for each forum its address,
// "|", its login entry, CR LF, CR LF; and beside it, in the same change, forum-names.txt and
// forum-formats.txt.
// passwordsElsewhere: the passwords are kept in the keyring, and the entries end after the
// username's "|".
Status saveForums(const std::string& folder, const ForumAccounts& accounts,
                  bool passwordsElsewhere = false);

}  // namespace boardcast
