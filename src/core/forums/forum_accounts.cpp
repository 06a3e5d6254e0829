#include "core/forums/forum_accounts.h"

#include "core/storage/data_files.h"

namespace boardcast {

namespace {

constexpr std::string_view kNamesFile = "forum-names.txt";
constexpr std::string_view kFormatsFile = "forum-formats.txt";

const std::string& valueOf(const std::unordered_map<std::string, std::string>& map,
                           const std::string& address) {
    static const std::string kNone;
    const auto it = map.find(address);
    return it == map.end() ? kNone : it->second;
}

// A name or format is one line of text; an empty one is none.
void setValue(std::unordered_map<std::string, std::string>& map, const std::string& address,
              std::string value) {
    for (char& c : value) {
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    }
    if (value.empty()) {
        map.erase(address);
    } else {
        map[address] = std::move(value);
    }
}

// The lines of a by-address file: escaped address, tab, escaped value.
template <class Set>
void readByAddress(const std::string& text, Set set) {
    for (const std::string& line : splitLines(text)) {
        const size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        set(unescapedField(std::string_view(line).substr(0, tab)),
            unescapedField(std::string_view(line).substr(tab + 1)));
    }
}

template <class Get>
std::string writtenByAddress(const ForumAccounts& accounts, Get get) {
    std::string text;
    for (const Forum& f : accounts.forums()) {
        const std::string& value = get(f.address);
        if (!value.empty()) text += escapedField(f.address) + '\t' + escapedField(value) + "\r\n";
    }
    return text;
}

// The login entry of a file line: what follows the address's "|". A username holds no "|",
// so the entry's first "|" ends it and everything after it, further "|" included, is the
// password. A line without a "|" gets an empty entry, so the forums and their logins stay
// paired.
std::string loginOfLine(std::string_view line) {
    const size_t bar = line.find('|');
    return bar == std::string_view::npos ? std::string() : std::string(line.substr(bar + 1));
}

}  // namespace

void ForumAccounts::selectForum(int index) {
    if (index < 0 || index >= count()) return;
    selected_ = index;
    fieldsEnabled_ = true;
    // Copied: the assignments below store into the very entry being split.
    std::string login = forums_[static_cast<size_t>(index)].login;
    if (login.empty()) return;
    // The username ends at the first "|"; the password is all the rest.
    const size_t bar = login.find('|');
    setUsernameField(login.substr(0, bar));
    setPasswordField(bar == std::string::npos ? std::string() : login.substr(bar + 1));
}

// A field only reports a change of its text, so assigning the text it already holds stores
// nothing; that keeps a loaded one-field login as it was when its forum is selected.
bool ForumAccounts::setUsernameField(std::string text) {
    if (text.find('|') != std::string::npos) return false;
    if (text == username_) return true;
    username_ = std::move(text);
    storeLogin();
    return true;
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
    username_ = kEnterUsername;
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

void ForumAccounts::setPasswordOf(int index, const std::string& password) {
    if (index < 0 || index >= count()) return;
    std::string& login = forums_[static_cast<size_t>(index)].login;
    login = login.substr(0, login.find('|')) + "|" + password;
    if (index == selected_) password_ = password;
}

const std::string& ForumAccounts::nameOf(const std::string& address) const {
    return valueOf(names_, address);
}

void ForumAccounts::setName(const std::string& address, std::string name) {
    setValue(names_, address, std::move(name));
}

const std::string& ForumAccounts::formatOf(const std::string& address) const {
    return valueOf(formats_, address);
}

void ForumAccounts::setFormat(const std::string& address, std::string format) {
    setValue(formats_, address, std::move(format));
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
    auto files = readFilesTogether(
        folder, {std::string(kForumsFile), std::string(kNamesFile), std::string(kFormatsFile)},
        kMaxDataFileBytes, {std::string(kNamesFile), std::string(kFormatsFile)});
    if (!files) return files.error();

    LoadedForums loaded;
    long long dropped = 0;
    for (const std::string& line : splitLines(files.value()[0])) {
        if (line.empty() || line == " ") continue;
        const std::string_view text = line;
        if (!loaded.accounts.append(
                {std::string(text.substr(0, text.find('|'))), loginOfLine(text)})) {
            ++dropped;
        }
    }
    if (dropped > 0) {
        loaded.notices.push_back(path + " holds more than " + std::to_string(kMaxListEntries) +
                                 " forums; the last " + std::to_string(dropped) +
                                 " were not loaded.");
    }
    ForumAccounts& accounts = loaded.accounts;
    readByAddress(files.value()[1], [&accounts](const std::string& address, std::string name) {
        accounts.setName(address, std::move(name));
    });
    readByAddress(files.value()[2], [&accounts](const std::string& address, std::string format) {
        accounts.setFormat(address, std::move(format));
    });
    return loaded;
}

Status saveForums(const std::string& folder, const ForumAccounts& accounts,
                  bool passwordsElsewhere) {
    std::string bytes;
    for (const Forum& f : accounts.forums()) {
        bytes += f.address;
        bytes += '|';
        bytes += passwordsElsewhere ? f.login.substr(0, f.login.find('|')) + "|" : f.login;
        bytes += kCrLf;
        bytes += kCrLf;
    }
    const std::string names = writtenByAddress(
        accounts,
        [&accounts](const std::string& a) -> const std::string& { return accounts.nameOf(a); });
    const std::string formats = writtenByAddress(
        accounts,
        [&accounts](const std::string& a) -> const std::string& { return accounts.formatOf(a); });
    // The forums file holds passwords in plain text: readable by the owner only.
    return writeFilesTogether(folder, {{std::string(kForumsFile), bytes, 0600},
                                       {std::string(kNamesFile), names, 0600},
                                       {std::string(kFormatsFile), formats, 0600}});
}

}  // namespace boardcast
