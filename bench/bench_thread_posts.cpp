// Reading a thread page as every fetched page is read: the whole page parsed, each engine's
// rules tried, its title and links taken, over pages captured from real engines
// (tests/data/forums). Run by bench/check_bench.sh beside `check` over the same pages. Usage:
// bench_thread_posts FILE...

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "net/page_reader.h"

namespace {

std::vector<std::string> pages;

void readPosts(benchmark::State& state) {
    size_t i = 0, bytes = 0;
    for (auto _ : state) {
        const std::string& page = pages[i++ % pages.size()];
        benchmark::DoNotOptimize(boardcast::readPageFacts(page, {}));
        bytes += page.size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes));
}

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    for (int a = 1; a < argc; ++a) {
        std::ifstream in(argv[a], std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        pages.push_back(bytes.str());
    }
    if (pages.empty()) return 2;
    benchmark::RegisterBenchmark("readThreadPosts", readPosts);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
