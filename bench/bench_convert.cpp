// Conversion of large messages: 1 MiB holding 10,000 web addresses (http, https, www, with
// queries and sentence marks after them), 2,000 e-mail addresses and some markup of the
// user's own, and the same mix at 4 MiB, to show that time grows with the size of the text,
// not its square. A second case is all unclosed openings ("<a ", "[url ", "["), which must
// not make the search for their ends start over at each one.

#include <benchmark/benchmark.h>

#include <string>
#include <string_view>

#include "core/conversion/url_encode.h"

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
        static const char* const kWeb[] = {
            "http://forum.example.com/t/",
            "https://shop.example.com/p?id=", "www.example.org/a_(b)/"};
        std::string address = isMail ? "user" + std::to_string(i) + "@mail.example.com"
                                     : kWeb[i % 3] + std::to_string(i);
        text += " " + address;
        text += i % 7 == 0 ? "). <b>x</b> [img]i.png[/img] " : " ";
        static constexpr std::string_view kWords =
            "We had a look at the new widgets, which show how the thing works. ";
        for (size_t w = 0; text.size() < gap * static_cast<size_t>(i + 1); ++w) {
            text += w % 61 == 60 ? '\n' : kWords[w % kWords.size()];
        }
    }
    text.resize(bytes, 'w');
    return text;
}

// Converts text with the html template for as long as the benchmark asks.
void convertRepeatedly(benchmark::State& state, const std::string& text) {
    const boardcast::LinkStrings html{"<a href='", "'>", "</a>", "mailto:"};
    for (auto _ : state) {
        std::string out = boardcast::urlEncode(text, html);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(text.size()));
    state.counters["addresses"] = static_cast<double>(boardcast::findLinks(text).size());
}

void BM_Convert(benchmark::State& state) {
    convertRepeatedly(state, makeMessage(static_cast<size_t>(state.range(0)), 10000, 2000));
}

void BM_UnclosedOpenings(benchmark::State& state) {
    std::string text;
    while (text.size() < static_cast<size_t>(state.range(0))) text += "<a x [url y [z ";
    convertRepeatedly(state, text);
}

}  // namespace

BENCHMARK(BM_Convert)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_UnclosedOpenings)->Arg(1 << 20)->Arg(4 << 20)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
