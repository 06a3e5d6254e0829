// Conversion of large messages: 1 MiB holding 10,000 web and 2,000 e-mail addresses, and
// the same mix at 4 MiB, to show that time grows with the size of the text, not its square.

#include <benchmark/benchmark.h>

#include <string>

#include "core/url_encode.h"

namespace {

std::string makeMessage(size_t bytes, int webPerMiB, int mailPerMiB) {
    const double mib = static_cast<double>(bytes) / (1024.0 * 1024.0);
    const int web = static_cast<int>(webPerMiB * mib);
    const int mail = static_cast<int>(mailPerMiB * mib);
    const int addresses = web + mail;
    const size_t gap = bytes / static_cast<size_t>(addresses);
    std::string text;
    text.reserve(bytes + 64);
    for (int i = 0; i < addresses; ++i) {
        // Spread the e-mail addresses evenly among the web addresses.
        bool isMail = (static_cast<long>(i) * mail) / addresses !=
                      (static_cast<long>(i + 1) * mail) / addresses;
        std::string address = isMail ? "user" + std::to_string(i) + "@mail.example.com"
                                     : "http://forum.example.com/t/" + std::to_string(i);
        text += address;
        text += ' ';
        while (text.size() < gap * static_cast<size_t>(i + 1)) {
            text += text.size() % 61 == 0 ? "\r\n" : "w";
        }
    }
    text.resize(bytes, 'w');
    return text;
}

void BM_Convert(benchmark::State& state) {
    const std::string text = makeMessage(static_cast<size_t>(state.range(0)), 10000, 2000);
    const boardcast::LinkStrings html{"<a href='", "'>", "</a>", "mailto:"};
    for (auto _ : state) {
        std::string out = boardcast::urlEncode(text, html);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
}

}  // namespace

BENCHMARK(BM_Convert)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
