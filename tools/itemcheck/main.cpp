// itemcheck: lets the bank's administrators check a check-item document before publishing
// it, with the very parser the program uses. Without a file it reads the default document
// the program carries. It also signs a sound document with the bank's Ed25519 key and
// verifies a signed one against a public key, as a program pinned to that key would.
// Exit status: 0 accepted, 1 not accepted, 2 usage or read error.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "config/CheckItemsParser.h"
#include "config/DocumentAcceptance.h"
#include "config/xml/XmlReader.h"
#include "platform/ModuleResources.h"
#include "tools/itemcheck/ConfigReport.h"
#include "tools/itemcheck/DocumentSigning.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
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

// Key files are a few hundred bytes.
constexpr std::uintmax_t kMaxKeyBytes = 64 * 1024;

enum class Mode { Report, Sign, Verify };

struct Options {
  bool json = false;
  std::optional<unsigned> majorVersion;
  std::optional<std::string> path;
  Mode mode = Mode::Report;
  std::string keyPath;
  // The signed sequence; by default the time of signing, which only grows.
  std::optional<std::uint32_t> sequence;
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
    "       itemcheck --sign PRIVATE_KEY [--sequence N] document.xml > signed.xml\n"
    "       itemcheck --verify PUBLIC_KEY document.xml\n"
    "  Reads the document (default: the embedded default document) with the program's own\n"
    "  parser and prints the verdict, the parser's notes and the check-item model.\n"
    "  --windows-major N  judge installer conditions for Windows N (default: the running\n"
    "                     Windows; elsewhere 10)\n"
    "  --sign KEY         write the document signed with the Ed25519 private key (PEM) to\n"
    "                     standard output; an unsound document is not signed\n"
    "  --sequence N       the signed sequence number (default: seconds since 1970); a program\n"
    "                     refuses documents older than the newest it accepted\n"
    "  --verify KEY       whether a program pinned to the Ed25519 public key (PEM) accepts the\n"
    "                     document: a valid signature over a sound document\n"
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
    } else if ((argument == "--sign" || argument == "--verify") && i + 1 < argc &&
               options.mode == Mode::Report) {
      options.mode = argument == "--sign" ? Mode::Sign : Mode::Verify;
      options.keyPath = argv[++i];
    } else if (argument == "--sequence" && i + 1 < argc) {
      char* end = nullptr;
      const unsigned long long sequence = std::strtoull(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || argv[i][0] == '-' || sequence > UINT32_MAX) {
        return std::nullopt;
      }
      options.sequence = static_cast<std::uint32_t>(sequence);
    } else if (!argument.empty() && argument[0] != '-' && !options.path) {
      options.path = std::string(argument);
    } else {
      return std::nullopt;
    }
  }
  // Signing and verifying work on a file, never on the embedded default.
  if ((options.mode != Mode::Report && !options.path) ||
      (options.sequence && options.mode != Mode::Sign)) {
    return std::nullopt;
  }
  return options;
}

std::optional<std::string> ReadFile(const std::string& path, std::uintmax_t maxBytes) {
  std::ifstream file(path, std::ios::binary);
  if (!file) {
    return std::nullopt;
  }
  std::string bytes;
  char buffer[65536];
  while (file.read(buffer, sizeof buffer) || file.gcount() > 0) {
    bytes.append(buffer, static_cast<std::size_t>(file.gcount()));
    if (bytes.size() > maxBytes) {
      return std::nullopt;
    }
  }
  if (file.bad()) {
    return std::nullopt;
  }
  return bytes;
}

bool IsSound(std::string document, const ConfigPlatform& platform) {
  CheckConfig config;
  return ParseCheckItems(config, std::move(document), platform);
}

int Sign(const Options& options, const std::string& document, const ConfigPlatform& platform) {
  const std::optional<std::string> key = ReadFile(options.keyPath, kMaxKeyBytes);
  if (!key) {
    std::cerr << "itemcheck: cannot read the key " << options.keyPath << "\n";
    return 2;
  }
  if (!IsSound(document, platform)) {
    std::cerr << "itemcheck: the document is not sound and was not signed\n";
    return 1;
  }
  const auto sequence = options.sequence.value_or(static_cast<std::uint32_t>(std::time(nullptr)));
  const std::optional<std::string> signedDocument = itemcheck::SignDocument(document, *key, sequence);
  if (!signedDocument) {
    std::cerr << "itemcheck: not signed: the key is no Ed25519 private key, or the document "
                 "holds a signature comment that is not its last\n";
    return 1;
  }
#ifdef _WIN32
  // The signature covers the bytes: no line end may be translated on the way out.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  std::fwrite(signedDocument->data(), 1, signedDocument->size(), stdout);
  return 0;
}

int Verify(const Options& options, const std::string& document, const ConfigPlatform& platform) {
  const std::optional<std::string> pem = ReadFile(options.keyPath, kMaxKeyBytes);
  const std::optional<DocumentKey> key = pem ? itemcheck::DocumentKeyFromPem(*pem) : std::nullopt;
  if (!key) {
    std::cerr << "itemcheck: " << options.keyPath << " holds no Ed25519 key\n";
    return 2;
  }
  const DocumentCheck check = CheckDownloadedDocument(document, std::span(&*key, 1), 0);
  if (check.verdict != DocumentVerdict::Accepted) {
    std::cout << (check.verdict == DocumentVerdict::Unsigned
                      ? "refused: no signature comment at the end of the document\n"
                      : "refused: the signature is not this key's over this document\n");
    return 1;
  }
  if (!IsSound(std::string(check.text), platform)) {
    std::cout << "refused: validly signed (sequence " << check.sequence
              << "), but the document is not sound\n";
    return 1;
  }
  std::cout << "accepted: signed by this key, sequence " << check.sequence << "\n";
  return 0;
}

int Run(const Options& options, const ModuleResources& resources, const ConfigPlatform& platform) {
  std::string document;
  if (options.path) {
    std::optional<std::string> bytes = ReadFile(*options.path, kMaxDocumentBytes);
    if (!bytes) {
      std::cerr << "itemcheck: cannot read " << *options.path << " (missing, unreadable or over "
                << kMaxDocumentBytes / (1024 * 1024) << " MiB)\n";
      return 2;
    }
    document = std::move(*bytes);
  } else {
    document = resources.LoadResourceBytes("item.xml", kResourceTypeHtml);
  }
  if (options.mode == Mode::Sign) {
    return Sign(options, document, platform);
  }
  if (options.mode == Mode::Verify) {
    return Verify(options, document, platform);
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
