// XmlReader against pugixml on the check-item format: parse a copy of the document, then
// read every element and attribute the configuration loader reads. Both sides copy the
// bytes inside the timed region (XmlReader::Parse owns its copy; pugixml parses a copy in
// place), build and destroy their tree each iteration, and walk the same names.

#include <benchmark/benchmark.h>

#include <fstream>
#include <optional>
#include <pugixml.hpp>
#include <string>

#include "bench/ConfigWalks.h"
#include "bench/SyntheticConfigDocument.h"
#include "config/xml/XmlReader.h"

namespace tessaly::bench {
namespace {

constexpr std::size_t kSyntheticBytes = 10u * 1024u * 1024u;

const std::string* SyntheticDocument() {
  static const std::string document = SyntheticConfigDocument(kSyntheticBytes);
  return &document;
}

// The default document as it sits in the source tree; absent until someone writes it.
const std::string* DefaultDocument() {
  static const std::optional<std::string> document = []() -> std::optional<std::string> {
    std::ifstream file(TESSALY_DEFAULT_ITEM_XML, std::ios::binary | std::ios::ate);
    if (!file) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(file.tellg()), '\0');
    file.seekg(0);
    if (!file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) return std::nullopt;
    return bytes;
  }();
  return document ? &*document : nullptr;
}

WalkTotals WalkOnceWithPugixml(const std::string& source) {
  std::string copy = source;
  pugi::xml_document document;
  document.load_buffer_inplace(copy.data(), copy.size(), pugi::parse_default);
  return WalkWithPugixml(document);
}

void ReportCommon(benchmark::State& state, const std::string& source, const WalkTotals& totals) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(source.size()));
  state.counters["elements"] = static_cast<double>(totals.elements);
  state.counters["value_bytes"] = static_cast<double>(totals.valueBytes);
}

void RunXmlReader(benchmark::State& state, const std::string* source) {
  if (source == nullptr) {
    state.SkipWithError("resources/item.xml is missing");
    return;
  }
  XmlReader probe;
  if (!probe.Parse(*source)) {
    state.SkipWithError(("XmlReader judges the document unsound: " + probe.Notes()).c_str());
    return;
  }
  WalkTotals totals;
  for (auto _ : state) {
    XmlReader reader;
    benchmark::DoNotOptimize(reader.Parse(std::string(*source)));
    totals = WalkWithXmlReader(reader);
    benchmark::DoNotOptimize(totals);
  }
  ReportCommon(state, *source, totals);
  state.counters["table_bytes_per_element"] =
      static_cast<double>(probe.Table().AllocatedBytes()) /
      static_cast<double>(probe.ElementCount());
  if (!(totals == WalkOnceWithPugixml(*source))) state.SetLabel("read differs from pugixml");
}

void RunPugixml(benchmark::State& state, const std::string* source) {
  if (source == nullptr) {
    state.SkipWithError("resources/item.xml is missing");
    return;
  }
  WalkTotals totals;
  for (auto _ : state) {
    std::string copy = *source;
    pugi::xml_document document;
    const pugi::xml_parse_result result =
        document.load_buffer_inplace(copy.data(), copy.size(), pugi::parse_default);
    if (!result) {
      state.SkipWithError(result.description());
      return;
    }
    totals = WalkWithPugixml(document);
    benchmark::DoNotOptimize(totals);
  }
  ReportCommon(state, *source, totals);
}

void BM_XmlReader_Synthetic10MB(benchmark::State& state) { RunXmlReader(state, SyntheticDocument()); }
void BM_Pugixml_Synthetic10MB(benchmark::State& state) { RunPugixml(state, SyntheticDocument()); }
void BM_XmlReader_DefaultItemXml(benchmark::State& state) { RunXmlReader(state, DefaultDocument()); }
void BM_Pugixml_DefaultItemXml(benchmark::State& state) { RunPugixml(state, DefaultDocument()); }

BENCHMARK(BM_XmlReader_Synthetic10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Pugixml_Synthetic10MB)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlReader_DefaultItemXml)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Pugixml_DefaultItemXml)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace tessaly::bench

BENCHMARK_MAIN();
