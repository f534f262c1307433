#include "bench/SyntheticConfigDocument.h"

#include <array>
#include <cstdint>
#include <string_view>

namespace tessaly::bench {
namespace {

// splitmix64: tiny, and unlike the standard distributions its output is fixed by the
// seed alone, so every machine benchmarks the same bytes.
class Sequence {
 public:
  std::uint64_t Next() {
    state_ += 0x9E3779B97F4A7C15ull;
    std::uint64_t z = state_;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }

  template <std::size_t N>
  std::string_view Pick(const std::array<std::string_view, N>& choices) {
    return choices[Below(N)];
  }

 private:
  std::uint64_t state_ = 20240601;
};

// Appends in the order written: the operands of a << chain are sequenced left to right,
// those of a + chain are not, and the random draws must happen in a fixed order.
class Writer {
 public:
  explicit Writer(std::size_t reserve) { text_.reserve(reserve); }
  Writer& operator<<(std::string_view piece) {
    text_.append(piece);
    return *this;
  }
  std::size_t Size() const { return text_.size(); }
  std::string Take() { return std::move(text_); }

 private:
  std::string text_;
};

std::string Number(Sequence& random, std::size_t bound) {
  return std::to_string(random.Below(bound));
}

std::string Hex(Sequence& random, std::size_t digits) {
  static constexpr std::string_view kDigits = "0123456789abcdef";
  std::string text;
  for (std::size_t i = 0; i < digits; ++i) text += kDigits[random.Below(16)];
  return text;
}

constexpr std::array<std::string_view, 6> kGroupTypes = {
    "compatibility", "registry", "service", "dns", "host", "trust"};
constexpr std::array<std::string_view, 5> kChineseNames = {
    "网银防钓鱼控件", "安全控件", "签名控件", "握奇USBKey驱动", "飞天诚信USBKey驱动"};
constexpr std::array<std::string_view, 4> kItemTypes = {"ActiveX", "UkeyActiveX", "UActiveX",
                                                        "driver"};
constexpr std::array<std::string_view, 3> kConditions = {"", "NT6", "NT5"};
// A detect rule's text is a CLSID, or names a registry key or a service built around one.
struct DetectShape {
  std::string_view type;
  std::string_view before;
  std::string_view after;
};
constexpr std::array<DetectShape, 3> kDetectShapes = {{
    {"clsid", "", ""},
    {"reg", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\", "\\InprocServer32"},
    {"service", "WDService", ""}}};
constexpr std::array<std::string_view, 2> kBits = {"", "1"};

void WriteVersion(Writer& out, Sequence& random) {
  out << Number(random, 4) << "." << Number(random, 10) << "." << Number(random, 100) << "."
      << Number(random, 1000);
}

void WriteEntry(Writer& out, Sequence& random, std::string_view groupType) {
  if (groupType == "registry") {
    out << "    <entry name=\"" << Number(random, 3000) << "\" type=\"reg_dword\" value=\""
        << Number(random, 4) << "\" mask=\"0x" << Hex(random, 4)
        << "\">HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet "
           "Settings\\Zones\\" << Number(random, 5) << "</entry>\n";
  } else if (groupType == "dns") {
    out << "    <entry name=\"ebank\" ip=\"10." << Number(random, 256) << ".0.1|10."
        << Number(random, 256) << ".0.2\">ebank" << Number(random, 100000)
        << ".example.test</entry>\n";
  } else if (groupType == "service") {
    out << "    <entry>https://ebank.example.test/login?branch=" << Number(random, 100000)
        << "&amp;lang=zh&amp;channel=pc</entry>\n";
  } else {
    out << "    <entry>www" << Number(random, 100000) << ".example.test</entry>\n";
  }
}

void WriteGroup(Writer& out, Sequence& random) {
  const std::string_view type = random.Pick(kGroupTypes);
  out << "  <config type=\"" << type << "\">\n";
  const std::size_t entries = 4 + random.Below(16);
  for (std::size_t i = 0; i < entries; ++i) WriteEntry(out, random, type);
  out << "  </config>\n";
}

void WriteItemChildren(Writer& out, Sequence& random) {
  const std::size_t detects = 1 + random.Below(3);
  for (std::size_t i = 0; i < detects; ++i) {
    const DetectShape& shape = kDetectShapes[random.Below(kDetectShapes.size())];
    out << "    <detect type=\"" << shape.type << "\" bit=\"" << random.Pick(kBits) << "\">"
        << shape.before << "{" << Hex(random, 8) << "-" << Hex(random, 4) << "-"
        << Hex(random, 4) << "-" << Hex(random, 4) << "-" << Hex(random, 12) << "}"
        << shape.after << "</detect>\n";
  }
  const std::size_t files = random.Below(8);
  for (std::size_t i = 0; i < files; ++i) {
    const std::string file = "wd" + Hex(random, 6) + ".dll";
    out << "    <file local=\"%SystemRoot%\\system32\\WatchData\\Watchdata CSP v3.3\\" << file
        << "\" install=\"regserver\" remote=\"drivers/" << file << "\" version=\"";
    WriteVersion(out, random);
    out << "\" md5=\"" << Hex(random, 32) << "\" bit=\"\">" << file << "</file>\n";
  }
  out << "    <installer condition=\"" << random.Pick(kConditions)
      << "\" command=\"&quot;%1&quot; /S\" md5=\"" << Hex(random, 32) << "\">setup"
      << Number(random, 1000) << ".exe</installer>\n";
}

void WriteItem(Writer& out, Sequence& random, std::string_view element) {
  out << "  <" << element << " selectedid=\"" << Number(random, 100) << "\" name=\""
      << random.Pick(kChineseNames) << " &#x4E2D;&#25991; &amp; " << Number(random, 1000)
      << "\" type=\"" << random.Pick(kItemTypes) << "\" tips=\"";
  WriteVersion(out, random);
  out << "\" image=\"images/item" << Number(random, 90) << ".png\" class=\"CWoqiUSBKey\">\n";
  WriteItemChildren(out, random);
  out << "  </" << element << ">\n";
}

}  // namespace

std::string SyntheticConfigDocument(std::size_t targetBytes) {
  Sequence random;
  Writer out(targetBytes + 4096);
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<checkitems base=\"https://download.example.test/tessaly/\">\n";
  while (out.Size() < targetBytes / 2) WriteGroup(out, random);
  while (out.Size() < targetBytes * 9 / 10) WriteItem(out, random, "item");
  while (out.Size() < targetBytes) WriteItem(out, random, "component");
  out << "  <appinfo version=\"1.0.0.3\" remote=\"https://download.example.test/tessaly/"
         "setup.exe\" md5=\"" << Hex(random, 32)
      << "\" imperative=\"0\" installer=\"setup.exe\"/>\n</checkitems>\n";
  return out.Take();
}

}  // namespace tessaly::bench
