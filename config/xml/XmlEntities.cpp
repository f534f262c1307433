#include "config/xml/XmlEntities.h"

#include <array>
#include <cstdint>

namespace tessaly {

namespace {

struct EntityName {
  std::string_view name;
  char32_t value;
};

// The order only matters between case twins, and the bucket builder below puts the
// capitalised twin first whatever its place here.
constexpr EntityName kEntities[] = {
    {"quot", 34}, {"amp", 38}, {"apos", 39}, {"lt", 60}, {"gt", 62},
    {"nbsp", 160}, {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164},
    {"yen", 165}, {"brvbar", 166}, {"sect", 167}, {"uml", 168}, {"copy", 169},
    {"ordf", 170}, {"laquo", 171}, {"not", 172}, {"shy", 173}, {"reg", 174},
    {"macr", 175}, {"deg", 176}, {"plusmn", 177}, {"sup2", 178}, {"sup3", 179},
    {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183}, {"cedil", 184},
    {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189},
    {"frac34", 190}, {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194},
    {"Atilde", 195}, {"Auml", 196}, {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199},
    {"Egrave", 200}, {"Eacute", 201}, {"Ecirc", 202}, {"Euml", 203}, {"Igrave", 204},
    {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207}, {"ETH", 208}, {"Ntilde", 209},
    {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213}, {"Ouml", 214},
    {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219},
    {"Uuml", 220}, {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224},
    {"aacute", 225}, {"acirc", 226}, {"atilde", 227}, {"auml", 228}, {"aring", 229},
    {"aelig", 230}, {"ccedil", 231}, {"egrave", 232}, {"eacute", 233}, {"ecirc", 234},
    {"euml", 235}, {"igrave", 236}, {"iacute", 237}, {"icirc", 238}, {"iuml", 239},
    {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},
    {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248}, {"ugrave", 249},
    {"uacute", 250}, {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254},
    {"yuml", 255}, {"OElig", 338}, {"oelig", 339}, {"Scaron", 352}, {"scaron", 353},
    {"Yuml", 376}, {"fnof", 402}, {"circ", 710}, {"tilde", 732}, {"Alpha", 913},
    {"Beta", 914}, {"Gamma", 915}, {"Delta", 916}, {"Epsilon", 917}, {"Zeta", 918},
    {"Eta", 919}, {"Theta", 920}, {"Iota", 921}, {"Kappa", 922}, {"Lambda", 923},
    {"Mu", 924}, {"Nu", 925}, {"Xi", 926}, {"Omicron", 927}, {"Pi", 928},
    {"Rho", 929}, {"Sigma", 931}, {"Tau", 932}, {"Upsilon", 933}, {"Phi", 934},
    {"Chi", 935}, {"Psi", 936}, {"Omega", 937}, {"alpha", 945}, {"beta", 946},
    {"gamma", 947}, {"delta", 948}, {"epsilon", 949}, {"zeta", 950}, {"eta", 951},
    {"theta", 952}, {"iota", 953}, {"kappa", 954}, {"lambda", 955}, {"mu", 956},
    {"nu", 957}, {"xi", 958}, {"omicron", 959}, {"pi", 960}, {"rho", 961},
    {"sigmaf", 962}, {"sigma", 963}, {"tau", 964}, {"upsilon", 965}, {"phi", 966},
    {"chi", 967}, {"psi", 968}, {"omega", 969}, {"thetasym", 977}, {"upsih", 978},
    {"piv", 982}, {"ensp", 8194}, {"emsp", 8195}, {"thinsp", 8201}, {"zwnj", 8204},
    {"zwj", 8205}, {"lrm", 8206}, {"rlm", 8207}, {"ndash", 8211}, {"mdash", 8212},
    {"lsquo", 8216}, {"rsquo", 8217}, {"sbquo", 8218}, {"ldquo", 8220}, {"rdquo", 8221},
    {"bdquo", 8222}, {"dagger", 8224}, {"Dagger", 8225}, {"bull", 8226}, {"hellip", 8230},
    {"permil", 8240}, {"prime", 8242}, {"Prime", 8243}, {"lsaquo", 8249}, {"rsaquo", 8250},
    {"oline", 8254}, {"frasl", 8260}, {"euro", 8364}, {"image", 8465}, {"weierp", 8472},
    {"real", 8476}, {"trade", 8482}, {"alefsym", 8501}, {"larr", 8592}, {"uarr", 8593},
    {"rarr", 8594}, {"darr", 8595}, {"harr", 8596}, {"crarr", 8629}, {"lArr", 8656},
    {"uArr", 8657}, {"rArr", 8658}, {"dArr", 8659}, {"hArr", 8660}, {"forall", 8704},
    {"part", 8706}, {"exist", 8707}, {"empty", 8709}, {"nabla", 8711}, {"isin", 8712},
    {"notin", 8713}, {"ni", 8715}, {"prod", 8719}, {"sum", 8721}, {"minus", 8722},
    {"lowast", 8727}, {"radic", 8730}, {"prop", 8733}, {"infin", 8734}, {"ang", 8736},
    {"and", 8743}, {"or", 8744}, {"cap", 8745}, {"cup", 8746}, {"int", 8747},
    {"there4", 8756}, {"sim", 8764}, {"cong", 8773}, {"asymp", 8776}, {"ne", 8800},
    {"equiv", 8801}, {"le", 8804}, {"ge", 8805}, {"sub", 8834}, {"sup", 8835},
    {"nsub", 8836}, {"sube", 8838}, {"supe", 8839}, {"oplus", 8853}, {"otimes", 8855},
    {"perp", 8869}, {"sdot", 8901}, {"lceil", 8968}, {"rceil", 8969}, {"lfloor", 8970},
    {"rfloor", 8971}, {"lang", 9001}, {"rang", 9002}, {"loz", 9674}, {"spades", 9824},
    {"clubs", 9827}, {"hearts", 9829}, {"diams", 9830},
};

constexpr std::size_t kEntityCount = std::size(kEntities);
static_assert(kEntityCount == 253);

constexpr std::size_t kBucketCount = 130;

constexpr char LowerAscii(char byte) {
  return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

// Names are bucketed by the sum of their lower-cased bytes, so that a case-blind lookup
// needs to search one bucket only.
constexpr std::size_t BucketOf(std::string_view name) {
  std::size_t sum = 0;
  for (const char byte : name) sum += static_cast<unsigned char>(LowerAscii(byte));
  return sum % kBucketCount;
}

constexpr bool HasCapital(std::string_view name) {
  for (const char byte : name) {
    if (byte != LowerAscii(byte)) return true;
  }
  return false;
}

// Entry numbers grouped by bucket: bucket b holds order[first[b]] .. order[first[b+1]-1],
// capitalised names ahead of the others so that the first case-blind match is the winner.
struct EntityBuckets {
  std::array<std::uint16_t, kBucketCount + 1> first{};
  std::array<std::uint16_t, kEntityCount> order{};
};

constexpr EntityBuckets MakeBuckets() {
  std::array<std::size_t, kEntityCount> bucketOf{};
  std::array<std::size_t, kBucketCount + 1> counts{};
  for (std::size_t entry = 0; entry < kEntityCount; ++entry) {
    bucketOf[entry] = BucketOf(kEntities[entry].name);
    ++counts[bucketOf[entry] + 1];
  }
  EntityBuckets buckets;
  std::array<std::size_t, kBucketCount> nextSlot{};
  std::size_t start = 0;
  for (std::size_t bucket = 0; bucket <= kBucketCount; ++bucket) {
    start += counts[bucket];
    buckets.first[bucket] = static_cast<std::uint16_t>(start);
    if (bucket < kBucketCount) nextSlot[bucket] = start;
  }
  for (const bool capitalised : {true, false}) {
    for (std::size_t entry = 0; entry < kEntityCount; ++entry) {
      if (HasCapital(kEntities[entry].name) != capitalised) continue;
      buckets.order[nextSlot[bucketOf[entry]]++] = static_cast<std::uint16_t>(entry);
    }
  }
  return buckets;
}

constexpr EntityBuckets kBuckets = MakeBuckets();

bool EqualsIgnoringCase(std::string_view lowerName, std::string_view entityName) {
  if (lowerName.size() != entityName.size()) return false;
  for (std::size_t at = 0; at < lowerName.size(); ++at) {
    if (LowerAscii(lowerName[at]) != LowerAscii(entityName[at])) return false;
  }
  return true;
}

// A reference names at most this many bytes between '&' and ';'.
constexpr std::size_t kMaxReferenceName = 9;

int DigitValue(char byte, bool hexadecimal) {
  if (byte >= '0' && byte <= '9') return byte - '0';
  if (hexadecimal && byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
  return -1;
}

// The value of "#65" or "#x41" (already lower-cased); 0 when there are no digits. Reading
// stops at the first byte that is not a digit, so "#65x" is 65.
char32_t CharacterReferenceValue(std::string_view name) {
  const bool hexadecimal = name.size() > 1 && name[1] == 'x';
  char32_t value = 0;
  for (std::size_t at = hexadecimal ? 2 : 1; at < name.size(); ++at) {
    const int digit = DigitValue(name[at], hexadecimal);
    if (digit < 0) break;
    // At most eight digits fit in the name, so this cannot overflow 32 bits.
    value = value * (hexadecimal ? 16u : 10u) + static_cast<char32_t>(digit);
  }
  return value;
}

// The character of the reference that starts at raw[ampersand], and the offset just past
// its ';'; nothing when the '&' is literal.
struct Reference {
  char32_t value;
  std::size_t end;
};

std::optional<Reference> ReadReference(std::string_view raw, std::size_t ampersand) {
  char name[kMaxReferenceName];
  std::size_t length = 0;
  std::size_t at = ampersand + 1;
  for (;; ++at) {
    if (at == raw.size()) return std::nullopt;
    const char byte = raw[at];
    if (byte == ';') break;
    if (static_cast<unsigned char>(byte) >= 0x80 || length == kMaxReferenceName) return std::nullopt;
    name[length++] = LowerAscii(byte);
  }
  const std::string_view collected(name, length);
  if (!collected.empty() && collected.front() == '#') {
    const char32_t value = CharacterReferenceValue(collected);
    if (value == 0) return std::nullopt;
    return Reference{value, at + 1};
  }
  const std::optional<char32_t> value = LookupEntity(collected);
  if (!value) return std::nullopt;
  return Reference{*value, at + 1};
}

}  // namespace

std::optional<char32_t> LookupEntity(std::string_view name) {
  const std::size_t bucket = BucketOf(name);
  for (std::size_t slot = kBuckets.first[bucket]; slot < kBuckets.first[bucket + 1]; ++slot) {
    const EntityName& entity = kEntities[kBuckets.order[slot]];
    if (EqualsIgnoringCase(name, entity.name)) return entity.value;
  }
  return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t value) {
  auto byte = [&out](char32_t bits) { out += static_cast<char>(static_cast<unsigned char>(bits)); };
  if (value < 0x80) {
    byte(value);
  } else if (value < 0x800) {
    byte(0xC0 | (value >> 6));
    byte(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    byte(0xE0 | (value >> 12));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  } else {
    byte(0xF0 | ((value >> 18) & 0x07));
    byte(0x80 | ((value >> 12) & 0x3F));
    byte(0x80 | ((value >> 6) & 0x3F));
    byte(0x80 | (value & 0x3F));
  }
}

std::string DecodeXmlText(std::string_view raw) {
  std::string out;
  out.reserve(raw.size());
  std::size_t at = 0;
  while (at < raw.size()) {
    const std::size_t ampersand = raw.find('&', at);
    if (ampersand == std::string_view::npos) {
      out.append(raw.substr(at));
      break;
    }
    out.append(raw.substr(at, ampersand - at));
    if (const std::optional<Reference> reference = ReadReference(raw, ampersand)) {
      AppendUtf8(out, reference->value);
      at = reference->end;
    } else {
      out += '&';
      at = ampersand + 1;
    }
  }
  return out;
}

}  // namespace tessaly
