// itemcheck: lets the bank's administrators check a check-item document before publishing
// it, with the very parser the program uses. Without a file it reads the default document
// the program carries. Exit status: 0 accepted, 1 not accepted, 2 usage or read error.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>

#include "config/CheckItemsParser.h"
#include "config/xml/XmlReader.h"
#include "platform/ModuleResources.h"
#include "tools/itemcheck/ConfigReport.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/Win32CodePages.h"
#include "platform/win32/Win32Environment.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32ModuleResources.h"
#include "platform/win32/Win32SystemFacts.h"
#else
#include "platform/native/EmbeddedResources.h"
#include "platform/native/NominalWindows.h"
#endif

namespace {

using namespace tessaly;

// Documents are a few kilobytes; anything near this is not a configuration.
constexpr std::uintmax_t kMaxDocumentBytes = 256u * 1024 * 1024;
// Off Windows there is no running Windows to ask, so installer conditions are judged for
// a current one unless the administrator names another.
constexpr unsigned kDefaultMajorVersion = 10;

struct Options {
  bool json = false;
  std::optional<unsigned> majorVersion;
  std::optional<std::string> path;
};

// The Windows version the administrator asked the tool to judge for.
class ChosenWindowsVersion final : public SystemFacts {
 public:
  explicit ChosenWindowsVersion(unsigned majorVersion) : majorVersion_(majorVersion) {}
  unsigned WindowsMajorVersion() const override { return majorVersion_; }
  WindowsVersionFacts VersionFacts() const override {
    return {.versionQueryOk = true, .major = majorVersion_, .platformId = 2};
  }

 private:
  unsigned majorVersion_;
};

constexpr std::string_view kUsage =
    "usage: itemcheck [--json] [--windows-major N] [document.xml]\n"
    "  Reads the document (default: the embedded default document) with the program's own\n"
    "  parser and prints the verdict, the parser's notes and the check-item model.\n"
    "  --windows-major N  judge installer conditions for Windows N (default: the running\n"
    "                     Windows; elsewhere 10)\n"
    "  Exit status: 0 accepted, 1 not accepted, 2 usage or read error.\n";

std::optional<Options> ParseArguments(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view argument = argv[i];
    if (argument == "--json") {
      options.json = true;
    } else if (argument == "--windows-major" && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long major = std::strtoul(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || major == 0 || major > 100) {
        return std::nullopt;
      }
      options.majorVersion = static_cast<unsigned>(major);
    } else if (!argument.empty() && argument[0] != '-' && !options.path) {
      options.path = std::string(argument);
    } else {
      return std::nullopt;
    }
  }
  return options;
}

std::optional<std::string> ReadDocument(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > kMaxDocumentBytes) {
      return std::nullopt;
    }
  }
  if (file.bad()) {
    return std::nullopt;
  }
  return bytes;
}

int Run(const Options& options, const ModuleResources& resources, const ConfigPlatform& platform) {
  std::string document;
  if (options.path) {
    std::optional<std::string> bytes = ReadDocument(*options.path);
    if (!bytes) {
      std::cerr << "itemcheck: cannot read " << *options.path << " (missing, unreadable or over "
                << kMaxDocumentBytes / (1024 * 1024) << " MiB)\n";
      return 2;
    }
    document = std::move(*bytes);
  } else {
    document = resources.LoadResourceBytes("item.xml", kResourceTypeHtml);
  }

  itemcheck::DocumentReport report;
  XmlReader reader;
  report.sound = reader.Parse(document);
  report.notes = reader.Notes();
  CheckConfig config;
  report.accepted = ParseCheckItems(config, std::move(document), platform);
  report.config = &config;

  const std::string output =
      options.json ? itemcheck::RenderJson(report) : itemcheck::RenderReadable(report);
  std::fwrite(output.data(), 1, output.size(), stdout);
  return report.accepted ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  std::optional<Options> options = ParseArguments(argc, argv);
  if (!options) {
    std::cerr << kUsage;
    return 2;
  }
#ifdef _WIN32
  SetConsoleOutputCP(CP_UTF8);
  const win32::Win32ModuleResources resources;
  const win32::Win32CodePages codePages;
  const win32::Win32FileSystem fileSystem;
  const win32::Win32Environment environment;
  const win32::Win32SystemFacts runningWindows;
  const ChosenWindowsVersion chosenWindows(options->majorVersion.value_or(0));
  const SystemFacts& systemFacts =
      options->majorVersion ? static_cast<const SystemFacts&>(chosenWindows) : runningWindows;
#else
  const EmbeddedResources resources;
  const Utf8OnlyCodePages codePages;
  const NominalFileSystem fileSystem;
  const NominalEnvironment environment;
  const ChosenWindowsVersion systemFacts(options->majorVersion.value_or(kDefaultMajorVersion));
#endif
  const ConfigPlatform platform{codePages, fileSystem, environment, systemFacts};
  return Run(*options, resources, platform);
}
