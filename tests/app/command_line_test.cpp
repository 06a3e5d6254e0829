// The command line as QCommandLineParser and our table take it apart.

#include <QTest>

#include "app/command_line.h"

using namespace boardcast;

namespace {

QStringList words(std::initializer_list<const char*> list) {
    QStringList out;
    for (const char* w : list) out << QString::fromUtf8(w);
    return out;
}

}  // namespace

class CommandLineTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void acceptedForms();
    void rejectedForms();
    void addressesOpenOnlyWithTheirSchemes();
    void helpDescribesEachCommandsOwnOptions();
};

void CommandLineTest::acceptedForms() {
    struct Row {
        QStringList args;
        Command command;
        std::optional<std::string> dataDir;
        std::optional<std::string> format;
        bool bare;
        std::vector<std::string> addresses;
    };
    const Row rows[] = {
        {{}, Command::Desktop, {}, {}, false, {}},
        {words({"--data-dir", "/tmp/x"}), Command::Desktop, "/tmp/x", {}, false, {}},
        {words({"--data-dir=/tmp/y"}), Command::Desktop, "/tmp/y", {}, false, {}},
        {words({"convert"}), Command::Convert, {}, {}, false, {}},
        {words({"convert", "--format", "ubb", "--bare"}), Command::Convert, {}, "ubb", true, {}},
        {words({"--bare", "--format=my name", "convert", "--data-dir", "d"}),
         Command::Convert,
         "d",
         "my name",
         true,
         {}},
        {words({"convert", "--format="}), Command::Convert, {}, "", false, {}},
        {words({"posts", "--data-dir", "d"}), Command::Posts, "d", {}, false, {}},
        {words({"forums"}), Command::Forums, {}, {}, false, {}},
        {words({"check"}), Command::Check, {}, {}, false, {}},
        {words({"watch", "http://a/b?c=1"}), Command::Watch, {}, {}, false, {}},
        {words({"--help"}), Command::Help, {}, {}, false, {}},
        {words({"convert", "-h"}), Command::Help, {}, {}, false, {}},
        {words({"-v"}), Command::Version, {}, {}, false, {}},
        {words({"check", "--version"}), Command::Version, {}, {}, false, {}},
        // What a desktop entry's %U hands over: addresses, none or several.
        {words({"http://f.example/post?t=1"}),
         Command::Desktop,
         {},
         {},
         false,
         {"http://f.example/post?t=1"}},
        {words({"--data-dir", "d", "HTTPS://f/a", "file:///tmp/p.html"}),
         Command::Desktop,
         "d",
         {},
         false,
         {"HTTPS://f/a", "file:///tmp/p.html"}},
        {words({"--", "http://f/-x"}), Command::Desktop, {}, {}, false, {"http://f/-x"}},
        {words({"--data-dir", "-odd", "posts"}), Command::Posts, "-odd", {}, false, {}},
    };
    for (const Row& r : rows) {
        auto parsed = parseCommandLine(r.args);
        if (!parsed.ok()) {
            QFAIL(qPrintable(r.args.join(u' ') + QStringLiteral(": ") +
                             QString::fromStdString(parsed.error().text)));
        }
        const CommandLine& line = parsed.value();
        QCOMPARE(line.command, r.command);
        QCOMPARE(line.dataDir, r.dataDir);
        QCOMPARE(line.format, r.format);
        QCOMPARE(line.bare, r.bare);
        QCOMPARE(line.addresses, r.addresses);
    }
    QCOMPARE(parseCommandLine(words({"watch", "--data-dir", "d", "http://a/"})).value().url,
             "http://a/");
    QCOMPARE(parseCommandLine(words({"check"})).value().jobs, 8);
    QCOMPARE(parseCommandLine(words({"check"})).value().perHost, 6);
    QCOMPARE(parseCommandLine(words({"check", "--per-host=2"})).value().perHost, 2);
    QCOMPARE(parseCommandLine(words({"check", "--jobs", "8", "--notify"})).value().jobs, 8);
    QVERIFY(parseCommandLine(words({"--notify", "check"})).value().notify);
    QVERIFY(!parseCommandLine(words({"check"})).value().notify);
    QCOMPARE(parseCommandLine(words({"--jobs=16", "check"})).value().jobs, 16);
    // Help asked with a command is that command's help, wherever the option stands.
    QCOMPARE(parseCommandLine(words({"--help", "check"})).value().helpFor, Command::Check);
    QCOMPARE(parseCommandLine(words({"watch", "-h"})).value().helpFor, Command::Watch);
    QCOMPARE(parseCommandLine(words({"http://a/", "--help"})).value().helpFor, Command::Desktop);
}

void CommandLineTest::rejectedForms() {
    struct Row {
        QStringList args;
        const char* says;
    };
    const Row rows[] = {
        {words({"frobnicate"}), "Unknown command frobnicate."},
        {words({"frobnicate", "--help"}), "Unknown command frobnicate."},
        {words({"ftp://f/a"}), "only http, https and file addresses"},
        {words({"http://f/a\nopen javascript:x"}), "only http, https and file addresses"},
        {words({"http://f/a", "notes.txt"}), "Unexpected argument notes.txt"},
        {words({"convert", "extra"}), "Unexpected argument extra."},
        {words({"--format"}), "Missing value after '--format'."},
        {words({"convert", "--format"}), "Missing value after '--format'."},
        {words({"--data-dir"}), "Missing value after '--data-dir'."},
        {words({"--data-dir="}), "--data-dir needs a folder name."},
        {words({"--bare"}), "--bare belongs to the convert command."},
        {words({"convert", "--nope"}), "Unknown option 'nope'."},
        {words({"--bare=1", "convert"}), "Unexpected value after '--bare'."},
        {words({"-x"}), "Unknown option 'x'."},
        {words({"-data-dir", "d"}), "Unknown option -data-dir (long options start with --)."},
        {words({"-hv"}), "Unknown option -hv"},
        {words({"posts", "--bare"}), "--bare belongs to the convert command."},
        {words({"forums", "--format", "html"}), "--format belongs to the convert command."},
        {words({"posts", "forums"}), "Unexpected argument forums."},
        {words({"watch"}), "needs the address of a page"},
        {words({"watch", "a", "b"}), "Unexpected argument b."},
        {words({"check", "x"}), "Unexpected argument x."},
        {words({"check", "--jobs"}), "Missing value after '--jobs'."},
        {words({"check", "--jobs", "0"}), "--jobs takes a number from 1 to 16."},
        {words({"check", "--jobs=17"}), "--jobs takes a number from 1 to 16."},
        {words({"check", "--per-host", "0"}), "--per-host takes a number from 1 to 16."},
        {words({"posts", "--per-host", "2"}), "--per-host belongs to the check command."},
        {words({"check", "--jobs=2x"}), "--jobs takes a number from 1 to 16."},
        {words({"posts", "--jobs", "2"}), "--jobs belongs to the check command."},
        {words({"watch", "http://a/", "--notify"}), "--notify belongs to the check command."},
    };
    for (const Row& r : rows) {
        auto parsed = parseCommandLine(r.args);
        if (parsed.ok()) QFAIL(qPrintable(r.args.join(u' ') + QStringLiteral(" was taken")));
        QCOMPARE(parsed.error().code, ErrorCode::Usage);
        QVERIFY2(parsed.error().text.find(r.says) != std::string::npos,
                 qPrintable(r.args.join(u' ') + QStringLiteral(" said: ") +
                            QString::fromStdString(parsed.error().text)));
    }
}

void CommandLineTest::addressesOpenOnlyWithTheirSchemes() {
    const std::pair<const char*, bool> rows[] = {
        {"http://a/", true},
        {"HTTPS://a/", true},
        {"file:///tmp/x", true},
        {"hTtP:a", true},
        {"ftp://a/", false},
        {"mailto:a@b", false},
        {"http://a/\nopen x", false},
        {"http://a/\r", false},
        {"http://a/\x7f", false},
        {"http://a/b c", true},
        {"javascript:1", false},
        {"www.a.com", false},
        {"/tmp/x.html", false},
        {":http", false},
        {"", false},
        {"https", false},
    };
    for (const auto& [word, openable] : rows) {
        QVERIFY2(isOpenableAddress(QString::fromUtf8(word)) == openable, word);
    }
}

void CommandLineTest::helpDescribesEachCommandsOwnOptions() {
    struct Row {
        Command command;
        const char* usage;
        std::vector<const char*> has;
        std::vector<const char*> lacks;
    };
    const Row rows[] = {
        {Command::Desktop,
         "Usage: boardcast [--data-dir DIR] [URL...]",
         {"convert ", "watch ", "check ", "posts ", "forums ", "-v, --version", "4 the"},
         {"--jobs", "--notify", "--bare"}},
        {Command::Check,
         "Usage: boardcast check [--jobs N] [--per-host M] [--notify] [--data-dir DIR]",
         {"--jobs N", "--per-host M", "--notify", "--data-dir DIR", "-h, --help", "3 some posts"},
         {"--bare", "--format", "--version"}},
        {Command::Convert,
         "Usage: boardcast convert [--format NAME] [--bare] [--data-dir DIR]",
         {"--format NAME", "--bare"},
         {"--jobs", "--notify"}},
        {Command::Watch,
         "Usage: boardcast watch URL [--data-dir DIR]",
         {"4 the data folder"},
         {"--jobs"}},
        {Command::Posts, "Usage: boardcast posts [--data-dir DIR]", {"baseline"}, {"--jobs"}},
    };
    for (const Row& r : rows) {
        const std::string text = helpText(r.command);
        QVERIFY2(text.starts_with(r.usage), text.c_str());
        for (const char* s : r.has) QVERIFY2(text.find(s) != std::string::npos, s);
        for (const char* s : r.lacks) QVERIFY2(text.find(s) == std::string::npos, s);
        // Lines fit a standard terminal.
        size_t start = 0;
        for (size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            QVERIFY2(end - start <= 80, text.substr(start, end - start).c_str());
        }
    }
}

QTEST_GUILESS_MAIN(CommandLineTest)
#include "command_line_test.moc"
