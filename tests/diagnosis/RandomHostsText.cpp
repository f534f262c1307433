#include "tests/diagnosis/RandomHostsText.h"

#include <cctype>
#include <cstddef>

namespace tessaly {
namespace {

template <typename T>
const T& Pick(std::mt19937& random, const std::vector<T>& choices) {
  return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random)];
}

bool Chance(std::mt19937& random, int percent) {
  return std::uniform_int_distribution<int>(0, 99)(random) < percent;
}

std::string InRandomCase(std::mt19937& random, const std::string& name) {
  std::string varied = name;
  for (char& c : varied) {
    if (Chance(random, 30)) {
      c = static_cast<char>(std::isupper(static_cast<unsigned char>(c)) ? std::tolower(c)
                                                                         : std::toupper(c));
    }
  }
  return varied;
}

std::string Repeated(std::mt19937& random, char c, std::size_t most) {
  return std::string(std::uniform_int_distribution<std::size_t>(1, most)(random), c);
}

std::string Address(std::mt19937& random) {
  static const std::vector<std::string> addresses = {
      "127.0.0.1", "0.0.0.0", "10.1.2.3", "1", "1.", ".", "::1", "fe80::1%lo0", "",
      "255.255.255.255", "12", "1..2", " 1.2.3.4", "\t8.8.8.8"};
  return Chance(random, 5) ? Repeated(random, '7', 300) : Pick(random, addresses);
}

std::string Blank(std::mt19937& random) {
  static const std::vector<std::string> blanks = {" ", "\t", "  ", " \t", "\v", "\f", "", " \r"};
  return Chance(random, 4) ? Repeated(random, ' ', 300) : Pick(random, blanks);
}

std::string NameLike(std::mt19937& random, const std::vector<std::string>& hosts) {
  static const std::vector<std::string> others = {
      "localhost", "www.example.com", "bank", "example", "x", "1.2.3.4", "é.cn", "a#b"};
  if (hosts.empty() || Chance(random, 30)) {
    return Pick(random, others);
  }
  const std::string host = InRandomCase(random, Pick(random, hosts));
  switch (std::uniform_int_distribution<int>(0, 7)(random)) {
    case 0:
      return host + ".evil.net";
    case 1:
      return "www." + host;
    case 2:
      return host + "x";
    case 3:
      return "1" + host;
    case 4:
      return host + host;
    default:
      return host;
  }
}

std::string Ending(std::mt19937& random) {
  static const std::vector<std::string> endings = {
      "", "", "", " ", "\t", " #", "#", " # comment", "#c", "\t#\tx", " # a\rb", " #x ", "\r",
      "\v", " \f", std::string(1, '\0'), "  \n  "};
  return Pick(random, endings);
}

std::string Line(std::mt19937& random, const std::vector<std::string>& hosts) {
  switch (std::uniform_int_distribution<int>(0, 11)(random)) {
    case 0:
      return "";
    case 1:
      return Blank(random);
    case 2:
      return Address(random);
    case 3:
      return "# " + NameLike(random, hosts);
    case 4:
      return "#";
    default: {
      std::string line = Address(random) + Blank(random) + NameLike(random, hosts);
      while (Chance(random, 20)) {
        line += Blank(random) + NameLike(random, hosts);
      }
      return line + Ending(random);
    }
  }
}

std::string LineBreak(std::mt19937& random) {
  static const std::vector<std::string> breaks = {"\n", "\n", "\n", "\n", "\r\n", "\r", "\n\n"};
  return Pick(random, breaks);
}

}  // namespace

const std::vector<std::string>& AwkwardHostNames() {
  static const std::vector<std::string> names = {
      "bank.example.com", "Ebank.Test", "a.b", "x", "1.2.3.4", "12", ".", "host name",
      "trailing ", " leading", "with+plus", "(paren)", "a#b", "é.cn", "", "1 x", "x\ny"};
  return names;
}

std::string RandomHostsText(std::mt19937& random, const std::vector<std::string>& hosts) {
  std::string text;
  const int lines = std::uniform_int_distribution<int>(0, 14)(random);
  for (int i = 0; i < lines; ++i) {
    text += Line(random, hosts);
    if (i + 1 < lines || Chance(random, 70)) {
      text += LineBreak(random);
    }
  }
  return text;
}

}  // namespace tessaly
