// Feeds arbitrary bytes to the loaders of the data files, through real files in a scratch
// folder. The first byte chooses the file: messages.txt records, posts.txt with sizes.txt
// (split where the second byte says), or posts2.txt. Beyond the sanitizers' checks it
// asserts that whatever loads saves and loads again to the same lists, so the program
// never changes what it did not touch.

#include <stdlib.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/forums/forum_accounts.h"
#include "core/library/message_library.h"
#include "core/storage/text_file.h"
#include "core/watching/watch_lists.h"

namespace {

using namespace boardcast;

const std::string& scratchFolder() {
    static const std::string folder = [] {
        char name[] = "/tmp/boardcast-fuzz-XXXXXX";
        const char* made = ::mkdtemp(name);
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

void put(const std::string& name, std::string_view bytes) {
    if (!writeFileAtomic(joinPath(scratchFolder(), name), bytes).ok()) std::abort();
}

void messages(std::string_view bytes) {
    for (const std::string& line : splitLines(bytes)) {
        const DecodedRecord record = decodeRecord(line);
        // A record written from what was read reads back the same.
        const DecodedRecord again =
            decodeRecord(encodeRecord(record.message, record.subject.value_or("")));
        if (record.subject && !record.blank && record.message.find('|') == std::string::npos &&
            record.subject->find('|') == std::string::npos && again.message != record.message) {
            std::abort();
        }
    }
}

void watchLists(std::string_view bytes, size_t split) {
    split = std::min(split, bytes.size());
    put("posts.txt", bytes.substr(0, split));
    put("sizes.txt", bytes.substr(split));
    auto loaded = loadWatchLists(scratchFolder());
    if (!loaded) return;
    const WatchList& list = loaded.value().list;
    if (!loaded.value().notices.empty()) return;  // cut lists are never saved
    if (!saveWatchLists(scratchFolder(), list).empty()) std::abort();
    auto again = loadWatchLists(scratchFolder());
    if (!again || again.value().list.posts() != list.posts()) std::abort();
}

void forums(std::string_view bytes) {
    put("posts2.txt", bytes);
    auto loaded = loadForums(scratchFolder());
    if (!loaded || !loaded.value().notices.empty()) return;
    const ForumAccounts& accounts = loaded.value().accounts;
    if (!saveForums(scratchFolder(), accounts).ok()) std::abort();
    auto again = loadForums(scratchFolder());
    if (!again || again.value().accounts.forums() != accounts.forums()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    switch (data[0] % 3) {
        case 0:
            messages(bytes);
            break;
        case 1:
            watchLists(bytes, data[1] * 4u);
            break;
        default:
            forums(bytes);
            break;
    }
    return 0;
}
