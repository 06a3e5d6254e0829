#include "core/forums/forum_accounts.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "temp_folder.h"

namespace boardcast {
namespace {

namespace fs = std::filesystem;
using Forums = std::vector<Forum>;

class ForumFiles : public ::testing::Test {
protected:
    void TearDown() override { setBeforeRenameHookForTesting(nullptr); }

    std::string file() const { return folder_.file("posts2.txt"); }
    void writeFile(const std::string& bytes) const { folder_.write("posts2.txt", bytes); }
    std::string readFile() const { return folder_.read("posts2.txt"); }
    mode_t fileMode() const { return folder_.mode("posts2.txt"); }
    Forums load(const std::string& bytes) const {
        writeFile(bytes);
        auto loaded = loadForums(dir_);
        if (!loaded) ADD_FAILURE() << loaded.error().text;
        return loaded ? loaded.value().accounts.forums() : Forums{};
    }

    testing_support::TempFolder folder_;
    const std::string& dir_ = folder_.path();
};

TEST_F(ForumFiles, LoadSplitsLinesIntoAddressAndLogin) {
    struct Row {
        const char* bytes;
        Forums expected;
    };
    const Row rows[] = {
        {"a|u|p\r\n\r\n", {{"a", "u|p"}}},
        // The password is everything after the second "|", its own "|" included.
        {"a|u|p|extra|more\r\n", {{"a", "u|p|extra|more"}}},
        {"a|u|p|\r\n", {{"a", "u|p|"}}},
        {"a|u\r\n", {{"a", "u"}}},
        {"a\r\n", {{"a", ""}}},
        {"|\r\n", {{"", ""}}},
        {"a||\r\n", {{"a", "|"}}},
        {"a|u|p\r\n \r\n\r\nb|v|q\r\n", {{"a", "u|p"}, {"b", "v|q"}}},
        {"a\nb|u\n|p\r\n", {{"a\nb", "u\n|p"}}},
        {"a|u|p\rb|v|q\r", {{"a", "u|p"}, {"b", "v|q"}}},
        {"a|u|p\r\nb|v|q", {{"a", "u|p"}, {"b", "v|q"}}},
        {"  \r\n", {{"  ", ""}}},
        {"\r\n", {}},
        {"", {}},
    };
    for (const Row& r : rows)
        EXPECT_EQ(load(r.bytes), r.expected) << testing::PrintToString(r.bytes);
}

TEST_F(ForumFiles, LoadFailuresNameTheFile) {
    auto missing = loadForums(dir_);
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, ErrorCode::NotFound);
    EXPECT_NE(missing.error().text.find(file()), std::string::npos);

    fs::create_directory(file());
    auto folder = loadForums(dir_);
    ASSERT_FALSE(folder);
    EXPECT_EQ(folder.error().code, ErrorCode::Io);
    EXPECT_NE(folder.error().text.find(file()), std::string::npos);
}

TEST_F(ForumFiles, LoadKeepsTheFirst32767Forums) {
    const int extra = 3;
    std::string bytes;
    for (int i = 0; i < kMaxListEntries + extra; ++i) bytes += std::to_string(i) + "|u|p\r\n\r\n";
    writeFile(bytes);
    auto loaded = loadForums(dir_);
    ASSERT_TRUE(loaded);
    const ForumAccounts& accounts = loaded.value().accounts;
    ASSERT_EQ(accounts.count(), kMaxListEntries);
    EXPECT_EQ(accounts.at(kMaxListEntries - 1).address, std::to_string(kMaxListEntries - 1));
    ASSERT_EQ(loaded.value().notices.size(), 1u);
    EXPECT_NE(loaded.value().notices[0].find(" " + std::to_string(extra) + " "), std::string::npos)
        << loaded.value().notices[0];

    ForumAccounts copy = accounts;
    EXPECT_FALSE(copy.addCurrentForum("new"));
    EXPECT_EQ(copy.forums(), accounts.forums());

    bytes.resize(bytes.size() - extra * std::string("32767|u|p\r\n\r\n").size());
    writeFile(bytes);
    auto full = loadForums(dir_);
    ASSERT_TRUE(full);
    EXPECT_EQ(full.value().accounts.count(), kMaxListEntries);
    EXPECT_TRUE(full.value().notices.empty());
}

TEST_F(ForumFiles, SaveWritesEachForumFollowedByAnEmptyLine) {
    ForumAccounts accounts;
    ASSERT_TRUE(saveForums(dir_, accounts));
    EXPECT_EQ(readFile(), "");

    accounts.append({"a", "u|p"});
    accounts.append({"b", "v|q"});
    ASSERT_TRUE(saveForums(dir_, accounts));
    EXPECT_EQ(readFile(), "a|u|p\r\n\r\nb|v|q\r\n\r\n");
}

TEST_F(ForumFiles, SaveAndReloadGiveTheSameForums) {
    const Forums forums = {
        {"http://a/", "u|p"}, {"b", "Enter Username|"}, {"c", ""}, {"d", "u"}, {"e", "|"},
        {"a", "x|y"}};
    ForumAccounts accounts;
    for (const Forum& f : forums) accounts.append(f);
    // Names by address; a name is one line, and a backslash stays one.
    accounts.setName("http://a/", "A\\B\tforum\r\n");
    accounts.setName("c", "See");
    accounts.setName("c", "");
    accounts.setFormat("b", "ubb");
    ASSERT_TRUE(saveForums(dir_, accounts));
    auto loaded = loadForums(dir_);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(loaded.value().accounts.forums(), forums);
    EXPECT_EQ(loaded.value().accounts.nameOf("http://a/"), "A\\B forum  ");
    EXPECT_EQ(loaded.value().accounts.nameOf("c"), "");
    EXPECT_EQ(loaded.value().accounts.formatOf("b"), "ubb");
    EXPECT_EQ(loaded.value().accounts.formatOf("http://a/"), "");
}

TEST_F(ForumFiles, SavedFileIsOwnerOnly) {
    for (bool existedWith0644 : {false, true}) {
        fs::remove(file());
        if (existedWith0644) {
            writeFile("old\r\n");
            ASSERT_EQ(::chmod(file().c_str(), 0644), 0);
        }
        ForumAccounts accounts;
        accounts.append({"a", "u|secret"});
        ASSERT_TRUE(saveForums(dir_, accounts));
        EXPECT_EQ(fileMode(), 0600u) << existedWith0644;
    }
}

TEST_F(ForumFiles, FailedSaveReportsAndKeepsTheOldFile) {
    ForumAccounts accounts;
    accounts.append({"new", "u|p"});

    EXPECT_FALSE(saveForums(joinPath(dir_, "missing"), accounts));

    fs::create_directory(file());
    EXPECT_FALSE(saveForums(dir_, accounts));
    EXPECT_TRUE(fs::is_directory(file()));
    fs::remove(file());

    // The rename fails when its temporary file has vanished; the old file must survive.
    writeFile("old|u|p\r\n\r\n");
    setBeforeRenameHookForTesting([this] {
        for (const auto& entry : fs::directory_iterator(dir_)) {
            if (entry.path().filename().string().starts_with(".posts2.txt.")) fs::remove(entry);
        }
    });
    Status failed = saveForums(dir_, accounts);
    ASSERT_FALSE(failed);
    EXPECT_NE(failed.error().text.find(file()), std::string::npos);
    EXPECT_EQ(readFile(), "old|u|p\r\n\r\n");
}

struct Fields {
    std::string username;
    std::string password;
};

// A forum with this login, selected after the fields were typed with no forum selected.
ForumAccounts selectedWithFields(const Fields& before, const std::string& login) {
    ForumAccounts accounts;
    accounts.setUsernameField(before.username);
    accounts.setPasswordField(before.password);
    accounts.append({"other", "o|q"});
    accounts.append({"target", login});
    accounts.selectForum(1);
    return accounts;
}

TEST(ForumAccounts, SelectFillsTheFieldsFromTheLogin) {
    struct Row {
        Fields before;
        std::string login;
        Fields after;
        std::string loginAfter;
    };
    const Row rows[] = {
        {{"x", "y"}, "u|p", {"u", "p"}, "u|p"},
        {{"u", "p"}, "u|p", {"u", "p"}, "u|p"},
        {{"x", "y"}, "|p", {"", "p"}, "|p"},
        {{"x", "y"}, "|", {"", ""}, "|"},
        // One field: the password empties, and the login follows the changed fields.
        {{"x", "y"}, "u", {"u", ""}, "u|"},
        {{"u", ""}, "u", {"u", ""}, "u"},
        // No fields at all: the fields keep their text.
        {{"x", "y"}, "", {"x", "y"}, ""},
        // The username ends at the first "|"; the password keeps every "|" after it.
        {{"x", "y"}, "a|b|c", {"a", "b|c"}, "a|b|c"},
        {{"x", "y"}, "a||", {"a", "|"}, "a||"},
    };
    for (const Row& r : rows) {
        ForumAccounts accounts = selectedWithFields(r.before, r.login);
        SCOPED_TRACE(r.login);
        EXPECT_EQ(accounts.selectedIndex(), 1);
        EXPECT_TRUE(accounts.fieldsEnabled());
        EXPECT_EQ(accounts.usernameField(), r.after.username);
        EXPECT_EQ(accounts.passwordField(), r.after.password);
        EXPECT_EQ(accounts.at(1).login, r.loginAfter);
        EXPECT_EQ(accounts.at(0).login, "o|q");
    }
}

TEST(ForumAccounts, AUsernameCannotHoldABar) {
    ForumAccounts accounts;
    accounts.addCurrentForum("http://f/");
    EXPECT_TRUE(accounts.setUsernameField("ann"));
    accounts.setPasswordField("p|a|ss");
    EXPECT_FALSE(accounts.setUsernameField("an|n"));
    EXPECT_EQ(accounts.usernameField(), "ann");
    EXPECT_EQ(accounts.at(0).login, "ann|p|a|ss");
}

TEST_F(ForumFiles, PasswordsWithBarsSurviveSelectSaveAndReload) {
    ForumAccounts accounts;
    accounts.addCurrentForum("http://f/1");
    accounts.setUsernameField("ann");
    accounts.setPasswordField("|pa|ss|");
    accounts.addCurrentForum("http://f/2");
    accounts.selectForum(0);
    EXPECT_EQ(accounts.passwordField(), "|pa|ss|");
    ASSERT_TRUE(saveForums(dir_, accounts).ok());
    auto loaded = loadForums(dir_);
    ASSERT_TRUE(loaded.ok());
    ForumAccounts again = loaded.value().accounts;
    again.selectForum(0);
    EXPECT_EQ(again.usernameField(), "ann");
    EXPECT_EQ(again.passwordField(), "|pa|ss|");
    EXPECT_EQ(again.at(0).login, "ann||pa|ss|");
}

TEST(ForumAccounts, EditsStoreIntoTheSelectedForumOnly) {
    ForumAccounts accounts;
    accounts.append({"a", "u|p"});
    accounts.append({"b", "v|q"});
    EXPECT_FALSE(accounts.fieldsEnabled());
    accounts.selectForum(-1);
    accounts.selectForum(2);
    EXPECT_FALSE(accounts.fieldsEnabled());
    EXPECT_EQ(accounts.selectedIndex(), -1);

    accounts.setUsernameField("typed");
    EXPECT_EQ(accounts.forums(), (Forums{{"a", "u|p"}, {"b", "v|q"}}));

    accounts.selectForum(0);
    accounts.selectForum(1);
    accounts.setPasswordField("new");
    EXPECT_EQ(accounts.forums(), (Forums{{"a", "u|p"}, {"b", "v|new"}}));
    EXPECT_EQ(accounts.currentUsername(), "v");
    EXPECT_EQ(accounts.currentPassword(), "new");
}

TEST(ForumAccounts, AddGivesTheNewForumTheDefaultLogin) {
    // Typed into the selected forum "a" before the add.
    for (const Fields& before : {Fields{"u", "p"}, Fields{"Enter Username", ""}, Fields{"", ""}}) {
        ForumAccounts accounts;
        accounts.append({"a", "x|y"});
        accounts.selectForum(0);
        accounts.setUsernameField(before.username);
        accounts.setPasswordField(before.password);
        const std::string loginOfA = before.username + "|" + before.password;

        ASSERT_TRUE(accounts.addCurrentForum("b"));
        SCOPED_TRACE(loginOfA);
        EXPECT_EQ(accounts.forums(), (Forums{{"a", loginOfA}, {"b", "Enter Username|"}}));
        EXPECT_EQ(accounts.selectedIndex(), 1);
        EXPECT_EQ(accounts.usernameField(), "Enter Username");
        EXPECT_EQ(accounts.passwordField(), "");
    }

    // The second add finds the fields already holding the default texts.
    ForumAccounts fresh;
    ASSERT_TRUE(fresh.addCurrentForum("a"));
    ASSERT_TRUE(fresh.addCurrentForum("b"));
    EXPECT_TRUE(fresh.fieldsEnabled());
    EXPECT_EQ(fresh.forums(), (Forums{{"a", "Enter Username|"}, {"b", "Enter Username|"}}));
}

TEST(ForumAccounts, AddComparesWholeAddressesExactly) {
    struct Row {
        const char* address;
        bool added;
    };
    const Row rows[] = {{"http://a/", false},
                        {"http://A/", true},
                        {"http://a", true},
                        {"http://a/ ", true},
                        {"", true}};
    for (const Row& r : rows) {
        ForumAccounts accounts;
        accounts.append({"http://a/", "u|p"});
        accounts.selectForum(0);
        EXPECT_EQ(accounts.addCurrentForum(r.address), r.added) << r.address;
        EXPECT_EQ(accounts.count(), r.added ? 2 : 1) << r.address;
        EXPECT_EQ(accounts.selectedIndex(), r.added ? 1 : 0) << r.address;
        EXPECT_EQ(accounts.at(0), (Forum{"http://a/", "u|p"})) << r.address;
    }
}

TEST(ForumAccounts, RemoveTakesTheSelectedPairAndEndsTheSelection) {
    ForumAccounts accounts;
    for (const char* a : {"a", "b", "c"}) accounts.append({a, std::string(a) + "u|p"});
    const Forums all = accounts.forums();
    accounts.removeForum();
    EXPECT_EQ(accounts.forums(), all);

    accounts.selectForum(1);
    accounts.removeForum();
    EXPECT_EQ(accounts.forums(), (Forums{{"a", "au|p"}, {"c", "cu|p"}}));
    EXPECT_EQ(accounts.selectedIndex(), -1);
    EXPECT_TRUE(accounts.fieldsEnabled());
    EXPECT_EQ(accounts.usernameField(), "bu");
    EXPECT_EQ(accounts.passwordField(), "p");

    accounts.setUsernameField("typed");
    accounts.setPasswordField("typed");
    accounts.removeForum();
    EXPECT_EQ(accounts.forums(), (Forums{{"a", "au|p"}, {"c", "cu|p"}}));
}

}  // namespace
}  // namespace boardcast
