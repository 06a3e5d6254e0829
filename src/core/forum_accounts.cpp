#include "core/forum_accounts.h"

#include "core/data_files.h"

namespace boardcast {

namespace {

constexpr std::string_view kNewUsername = "Enter Username";

// "|" has no escape. An empty text has no fields at all; otherwise every "|" starts a new
// field, so "|" alone gives two empty ones.
std::vector<std::string_view> splitFields(std::string_view text) {
    std::vector<std::string_view> fields;
    if (text.empty()) return fields;
    while (true) {
        size_t bar = text.find('|');
        fields.push_back(text.substr(0, bar));
        if (bar == std::string_view::npos) break;
        text.remove_prefix(bar + 1);
    }
    return fields;
}

// The login entry of a file line's fields after the address. Lines with fewer than three
// fields still get one, so the forums and their logins stay paired; one with exactly two is
// what saving a forum with a one-field login writes, and reads back as that login again.
std::string loginFromFields(const std::vector<std::string_view>& fields) {
    if (fields.size() < 2) return {};
    std::string login(fields[1]);
    if (fields.size() >= 3) {
        login += '|';
        login += fields[2];
    }
    return login;
}

}  // namespace

void ForumAccounts::selectForum(int index) {
    if (index < 0 || index >= count()) return;
    selected_ = index;
    fieldsEnabled_ = true;
    // Copied: the assignments below store into the very entry being split.
    std::string login = forums_[static_cast<size_t>(index)].login;
    std::vector<std::string_view> fields = splitFields(login);
    if (fields.empty()) return;
    setUsernameField(std::string(fields[0]));
    setPasswordField(fields.size() > 1 ? std::string(fields[1]) : std::string());
}

// A field only reports a change of its text, so assigning the text it already holds stores
// nothing; that keeps a loaded one-field login as it was when its forum is selected.
void ForumAccounts::setUsernameField(std::string text) {
    if (text == username_) return;
    username_ = std::move(text);
    storeLogin();
}

void ForumAccounts::setPasswordField(std::string text) {
    if (text == password_) return;
    password_ = std::move(text);
    storeLogin();
}

bool ForumAccounts::addCurrentForum(std::string address) {
    for (const Forum& f : forums_) {
        if (f.address == address) return false;
    }
    // The new forum is selected before it has a login entry, so the selection leaves the
    // fields as they are.
    if (!append({std::move(address), {}})) return false;
    selectForum(count() - 1);
    forums_.back().login = "|";
    username_ = kNewUsername;
    password_.clear();
    // Stored whether or not the fields changed: with fields that already read
    // "Enter Username" and nothing, storing only on change would leave the login "|".
    storeLogin();
    return true;
}

void ForumAccounts::removeForum() {
    if (selected_ < 0 || selected_ >= count()) return;
    forums_.erase(forums_.begin() + selected_);
    selected_ = -1;
}

bool ForumAccounts::append(Forum forum) {
    if (count() >= kMaxListEntries) return false;
    forums_.push_back(std::move(forum));
    return true;
}

void ForumAccounts::storeLogin() {
    if (selected_ < 0 || selected_ >= count()) return;
    forums_[static_cast<size_t>(selected_)].login = username_ + "|" + password_;
}

Result<LoadedForums> loadForums(const std::string& folder) {
    std::string path = joinPath(folder, kForumsFile);
    auto lines = readLines(path);
    if (!lines) return lines.error();

    LoadedForums loaded;
    long long dropped = 0;
    for (const std::string& line : lines.value()) {
        if (line.empty() || line == " ") continue;
        std::vector<std::string_view> fields = splitFields(line);
        if (!loaded.accounts.append({std::string(fields[0]), loginFromFields(fields)})) ++dropped;
    }
    if (dropped > 0) {
        loaded.notices.push_back(path + " holds more than " + std::to_string(kMaxListEntries) +
                                 " forums; the last " + std::to_string(dropped) +
                                 " were not loaded.");
    }
    return loaded;
}

Status saveForums(const std::string& folder, const ForumAccounts& accounts) {
    std::string bytes;
    for (const Forum& f : accounts.forums()) {
        bytes += f.address;
        bytes += '|';
        bytes += f.login;
        bytes += kCrLf;
        bytes += kCrLf;
    }
    // The file holds passwords in plain text: readable by the owner only.
    return writeFileAtomic(joinPath(folder, kForumsFile), bytes, 0600);
}

}  // namespace boardcast
