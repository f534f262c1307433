// The hosts check on a generated 150,000-line hosts file with three configured hosts:
// measuring only (a clean file, so every host is searched through the whole text) and
// repairing (a file with redirections, read, cleaned and written back in memory). The
// baseline is the same check done with the standard library's regex engine, as plainly as
// the pattern reads, on the same file and on a tenth of it. It completes on these because
// no line holds a long run of blanks or digits; such a run makes it recurse once per
// character until the stack gives out, which the matcher's tests cover instead.

#include <benchmark/benchmark.h>

#include <optional>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "bench/SyntheticHostsFile.h"
#include "diagnosis/HostsCheck.h"
#include "diagnosis/HostsText.h"

namespace tessaly::bench {
namespace {

constexpr std::size_t kLines = 150'000;

class FixedEnvironment final : public WideEnvironment {
 public:
  std::optional<std::u16string> ExpandWide(std::u16string_view) const override {
    return u"C:\\Windows\\system32\\drivers\\etc\\hosts";
  }
};

// Reads always answer the same bytes; what a repair writes is kept apart.
class MemoryHostsFile final : public WholeFiles {
 public:
  explicit MemoryHostsFile(std::string bytes) : bytes_(std::move(bytes)) {}
  WholeFileContent Read(const std::u16string&, std::size_t) const override {
    return {.status = WholeFileStatus::kRead, .bytes = bytes_};
  }
  bool Replace(const std::u16string&, std::string_view bytes) const override {
    written_.assign(bytes);
    return true;
  }
  std::size_t bytes() const { return bytes_.size(); }

 private:
  std::string bytes_;
  mutable std::string written_;
};

ConfigGroup BankHostGroup() {
  ConfigGroup hosts{.type = "host"};
  for (const std::string& host : BenchmarkBankHosts()) {
    hosts.entries.push_back({.text = host});
  }
  return hosts;
}

void RunCheckHosts(benchmark::State& state, bool redirecting, bool repair) {
  const MemoryHostsFile file(SyntheticHostsFile(kLines, redirecting));
  const FixedEnvironment environment;
  CheckConfig config;
  config.groups.push_back(BankHostGroup());
  for (auto _ : state) {
    benchmark::DoNotOptimize(CheckHosts(config, environment, file, repair));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(file.bytes()));
  state.counters["hostsOk"] = config.hostsOk ? 1 : 0;
}

void BM_CheckHostsMeasure(benchmark::State& state) { RunCheckHosts(state, false, false); }
void BM_CheckHostsRepair(benchmark::State& state) { RunCheckHosts(state, true, true); }
BENCHMARK(BM_CheckHostsMeasure)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CheckHostsRepair)->Unit(benchmark::kMillisecond);

// The check as a regex engine does it: the name with its dots escaped, one search per host
// without repair, one regex_replace pass per host with it.
std::string PlainRegexCheck(const std::string& bytes, bool repair, bool* ok) {
  std::string text = HostsTextFromFile(bytes);
  *ok = true;
  for (const std::string& host : BenchmarkBankHosts()) {
    std::string escaped;
    for (const char c : host) {
      escaped += c == '.' ? "\\." : std::string(1, c);
    }
    const std::regex pattern("\n[\\s\\d\\.]+" + escaped + "\\s*(\n|#.+\n)",
                             std::regex::ECMAScript | std::regex::icase);
    if (!repair && std::regex_search(text, pattern)) {
      *ok = false;
      return text;
    }
    if (repair) {
      text = std::regex_replace(text, pattern, "\n");
    }
  }
  return HostsFileFromText(text);
}

void RunPlainRegex(benchmark::State& state, bool redirecting, bool repair) {
  const std::string bytes =
      SyntheticHostsFile(static_cast<std::size_t>(state.range(0)), redirecting);
  bool ok = false;
  for (auto _ : state) {
    benchmark::DoNotOptimize(PlainRegexCheck(bytes, repair, &ok));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes.size()));
  state.counters["hostsOk"] = ok ? 1 : 0;
}

void BM_PlainRegexMeasure(benchmark::State& state) { RunPlainRegex(state, false, false); }
void BM_PlainRegexRepair(benchmark::State& state) { RunPlainRegex(state, true, true); }
BENCHMARK(BM_PlainRegexMeasure)->Arg(15'000)->Arg(150'000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRegexRepair)->Arg(15'000)->Arg(150'000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace tessaly::bench

BENCHMARK_MAIN();
