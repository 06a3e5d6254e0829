#include "platform/qt_settings_store.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "core/conversion/link_templates.h"
#include "core/storage/settings_keys.h"

namespace boardcast {
namespace {

// Set before the first QSettings is made: QSettings reads the location once per process.
QTemporaryDir* configHome = nullptr;

QString iniPath() {
    return configHome->path() + QStringLiteral("/Boardcast/Boardcast.ini");
}

QByteArray iniBytes() {
    QFile f(iniPath());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

TEST(QtSettingsStore, ValuesSurviveANewStoreObject) {
    const std::string tricky[] = {"line one\r\nline two\r\n",
                                  "@Variant(not really)",
                                  "a, b, c",
                                  "caf\xc3\xa9 \xe2\x80\xa8",
                                  "=;#[x]\\\"quoted\"",
                                  " ",
                                  ""};
    {
        QtSettingsStore store;
        EXPECT_EQ(store.fileName(), iniPath());
        EXPECT_EQ(readSetting(store, keys::lastSubject), "Type Subject Here");
        int i = 0;
        for (const std::string& value : tricky) {
            ASSERT_TRUE(store.write("data", "k" + std::to_string(i++), value));
        }
        ASSERT_TRUE(writeSetting(store, keys::showHelp, "0"));
        ASSERT_TRUE(saveTemplates(store, defaultTemplates()));
    }
    QtSettingsStore again;
    int i = 0;
    for (const std::string& value : tricky) {
        EXPECT_EQ(again.read("data", "k" + std::to_string(i++), "default"), value);
    }
    EXPECT_EQ(readSetting(again, keys::showHelp), "0");
    EXPECT_EQ(loadTemplates(again), defaultTemplates());

    const QByteArray ini = iniBytes();
    EXPECT_TRUE(ini.contains("[data]"));
    EXPECT_TRUE(ini.contains("[Settings]"));
    EXPECT_TRUE(ini.contains("htmlLinkOpen01="));
}

TEST(QtSettingsStore, HandEditedGarbageReadsSafely) {
    {
        QFile f(iniPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(
            "[data\nlastConvert=a, b\n\x01\x02\xff\xfe=\n[Settings]\nshowHelp\n"
            "lastSubject=@Variant(\\0\\0\\0\\x7f\\0\\0\\0\\x7f)\n");
    }
    QtSettingsStore store;
    // Whatever came out of the garbage, reading gives strings and never crashes.
    EXPECT_NO_FATAL_FAILURE(readSetting(store, keys::lastConvert));
    EXPECT_NO_FATAL_FAILURE(readSetting(store, keys::showHelp));
    EXPECT_NO_FATAL_FAILURE(readSetting(store, keys::lastSubject));
    EXPECT_EQ(chooserIndexFromSetting(readSetting(store, keys::lastConvert), 4), 0);

    // The program can still store its values over the damaged file.
    EXPECT_TRUE(writeSetting(store, keys::lastMessage, "kept"));
    QtSettingsStore again;
    EXPECT_EQ(readSetting(again, keys::lastMessage), "kept");
}

TEST(QtSettingsStore, AFailedWriteIsReported) {
    // A folder where the settings file should be: nothing can be written there.
    QFile::remove(iniPath());
    ASSERT_TRUE(QDir().mkpath(iniPath()));
    QtSettingsStore store;
    Status s = writeSetting(store, keys::lastSubject, "x");
    EXPECT_FALSE(s.ok());
    if (!s.ok()) {
        EXPECT_NE(s.error().text.find("Boardcast.ini"), std::string::npos);
    }
    QDir(iniPath()).removeRecursively();
}

}  // namespace
}  // namespace boardcast

int main(int argc, char** argv) {
    QTemporaryDir dir;
    boardcast::configHome = &dir;
    qputenv("XDG_CONFIG_HOME", dir.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
