#include "core/shell/forum_store.h"

#include <gtest/gtest.h>

#include <map>

#include "core/storage/data_files.h"
#include "core/storage/settings_keys.h"
#include "failing_settings.h"
#include "temp_folder.h"

namespace boardcast {
namespace {

using testing_support::TempFolder;

// A keyring in memory that can be told to refuse reads, writes or removals.
class FakeVault final : public PasswordVault {
public:
    Result<std::string> read(const std::string& address, const std::string& user) override {
        if (failRead) return Error{ErrorCode::Io, "The keyring is locked."};
        const auto it = items.find({address, user});
        if (it == items.end()) return Error{ErrorCode::NotFound, "none"};
        return it->second;
    }
    Status write(const std::string& address, const std::string& user,
                 const std::string& password) override {
        if (failWrite) return Error{ErrorCode::Io, "The keyring refused."};
        items[{address, user}] = password;
        return {};
    }
    Status remove(const std::string& address, const std::string& user) override {
        if (failRemove) return Error{ErrorCode::Io, "The keyring kept it."};
        items.erase({address, user});
        return {};
    }

    std::map<std::pair<std::string, std::string>, std::string> items;
    bool failRead = false, failWrite = false, failRemove = false;
};

struct Fixture {
    Fixture() {
        EXPECT_TRUE(prepareAppFolder(dir.path()));
        for (const char* address : {"http://a/", "http://b/"}) {
            lists.forums.addCurrentForum(address);
            lists.forums.setUsernameField("me");
            lists.forums.setPasswordField(std::string("pw-") + address[7]);
        }
        EXPECT_TRUE(saveForums(dir.path(), lists.forums, false));
        lists.forumsLoaded = true;
    }
    // The passwords posts2.txt holds, forum by forum.
    std::vector<std::string> passwordsInFile() const {
        std::vector<std::string> out;
        auto loaded = loadForums(dir.path());
        for (const Forum& f : loaded.value().accounts.forums()) out.push_back(passwordOf(f));
        return out;
    }

    TempFolder dir;
    ProgramLists lists;
    FakeVault vault;
    MemorySettingsStore settings;
};

const std::vector<std::string> kBoth = {"pw-a", "pw-b"};

TEST(ForumStore, AMoveIntoTheKeyringThatFailsLeavesThePasswordsInTheFile) {
    struct Row {
        const char* name;
        bool vaultRefuses;
        bool settingsRefuse;
    };
    for (const Row& row :
         {Row{"keyring refuses", true, false}, Row{"settings refuse", false, true}}) {
        SCOPED_TRACE(row.name);
        Fixture f;
        f.vault.failWrite = row.vaultRefuses;
        testing_support::FailingSettingsStore readOnly;
        readOnly.failing = true;
        SettingsStore& settings =
            row.settingsRefuse ? static_cast<SettingsStore&>(readOnly) : f.settings;
        ForumStore store(f.dir.path(), f.lists, f.vault, settings);
        const Result<std::string> moved = store.movePasswords(true);
        ASSERT_FALSE(moved);
        EXPECT_EQ(moved.error().text.rfind("The passwords stay in posts2.txt. ", 0), 0u);
        EXPECT_FALSE(store.passwordsInKeyring());
        EXPECT_EQ(f.passwordsInFile(), kBoth);
        EXPECT_NE(readSetting(settings, keys::passwordsInKeyring), "1");
    }
}

TEST(ForumStore, AFileThatCannotBeWrittenTakesTheSettingBack) {
    Fixture f;
    const std::string notAFolder = f.dir.file("posts2.txt");  // a file where a folder should be
    ForumStore store(notAFolder, f.lists, f.vault, f.settings);
    ASSERT_FALSE(store.movePasswords(true));
    EXPECT_FALSE(store.passwordsInKeyring());
    EXPECT_EQ(readSetting(f.settings, keys::passwordsInKeyring), "0");
}

TEST(ForumStore, MovesBackAndForthWithoutLosingAPassword) {
    Fixture f;
    ForumStore store(f.dir.path(), f.lists, f.vault, f.settings);
    ASSERT_EQ(store.movePasswords(true).value(),
              "The passwords are now kept in the desktop keyring.");
    EXPECT_TRUE(store.passwordsInKeyring());
    EXPECT_EQ(f.passwordsInFile(), (std::vector<std::string>{"", ""}));
    EXPECT_EQ(f.vault.items.size(), 2u);
    EXPECT_EQ(store.movePasswords(true).value(), "");  // already there: nothing to tell

    // A restart reads them back from the keyring.
    ProgramLists restarted = loadProgramLists(f.dir.path()).lists;
    ForumStore again(f.dir.path(), restarted, f.vault, f.settings);
    ASSERT_TRUE(again.passwordsInKeyring());
    ASSERT_TRUE(again.readPasswords());
    EXPECT_EQ(restarted.forums.forums(), f.lists.forums.forums());

    struct Row {
        const char* name;
        bool failRead, failRemove;
        bool moved;
        const char* textStart;
    };
    for (const Row& row :
         {Row{"locked keyring", true, false, false, "The passwords stay in the desktop keyring. "},
          Row{"items that stay", false, true, true, "The passwords are in posts2.txt again, but"},
          Row{"clean move", false, false, true, "The passwords are kept in posts2.txt again."}}) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(store.movePasswords(true));
        f.vault.failRead = row.failRead;
        f.vault.failRemove = row.failRemove;
        const Result<std::string> back = store.movePasswords(false);
        f.vault.failRead = f.vault.failRemove = false;
        EXPECT_EQ(bool(back), row.moved);
        const std::string text = back ? back.value() : back.error().text;
        EXPECT_EQ(text.rfind(row.textStart, 0), 0u) << text;
        EXPECT_EQ(store.passwordsInKeyring(), !row.moved);
        // Wherever the move stopped, each password is in the file or in the keyring.
        const std::vector<std::string> inKeyring = {f.vault.items[{"http://a/", "me"}],
                                                    f.vault.items[{"http://b/", "me"}]};
        EXPECT_EQ(row.moved ? f.passwordsInFile() : inKeyring, kBoth);
    }
}

TEST(ForumStore, StoreAndRemoveKeepTheKeyringInStep) {
    Fixture f;
    ForumStore store(f.dir.path(), f.lists, f.vault, f.settings);
    ASSERT_TRUE(store.movePasswords(true));
    f.lists.forums.selectForum(0);
    f.lists.forums.setPasswordField("new");
    ASSERT_TRUE(store.store());
    EXPECT_EQ((f.vault.items[{"http://a/", "me"}]), "new");
    EXPECT_EQ(f.passwordsInFile(), (std::vector<std::string>{"", ""}));

    // A keyring that refuses the password leaves posts2.txt as it was.
    f.vault.failWrite = true;
    f.lists.forums.setPasswordField("newer");
    EXPECT_FALSE(store.store());
    f.vault.failWrite = false;

    store.remove({0});
    EXPECT_EQ(f.lists.forums.count(), 1);
    EXPECT_EQ(f.vault.items.count({"http://a/", "me"}), 0u);
    EXPECT_EQ(f.vault.items.count({"http://b/", "me"}), 1u);
}

}  // namespace
}  // namespace boardcast
