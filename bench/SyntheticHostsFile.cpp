#include "bench/SyntheticHostsFile.h"

#include <random>

namespace tessaly::bench {
namespace {

std::string Address(std::mt19937& random) {
  std::uniform_int_distribution<int> octet(0, 255);
  return std::to_string(octet(random)) + "." + std::to_string(octet(random)) + "." +
         std::to_string(octet(random)) + "." + std::to_string(octet(random));
}

std::string OtherName(std::mt19937& random) {
  static const char* const kWords[] = {"ads", "cdn", "mail", "static", "img", "tracker",
                                       "login", "api", "news", "video", "shop", "update"};
  std::uniform_int_distribution<std::size_t> word(0, std::size(kWords) - 1);
  return std::string(kWords[word(random)]) + std::to_string(random() % 100000) + "." +
         kWords[word(random)] + ".com";
}

std::string Decoy(std::mt19937& random, const std::string& host) {
  switch (random() % 4) {
    case 0:
      return Address(random) + " " + host + ".mirror.net";
    case 1:
      return Address(random) + "\t" + host + " " + OtherName(random);
    case 2:
      return Address(random) + " " + host + " #";
    default:
      return "::1 " + host;
  }
}

std::string Redirect(std::mt19937& random, const std::string& host) {
  std::string name = host;
  if (random() % 2 == 0) {
    for (char& c : name) {
      c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
    }
  }
  return Address(random) + (random() % 2 ? " " : "\t") + name + (random() % 3 ? "" : " # moved");
}

}  // namespace

const std::vector<std::string>& BenchmarkBankHosts() {
  static const std::vector<std::string> hosts = {"ebank.example-bank.com.cn",
                                                 "pay.example-bank.com.cn", "www.example-bank.cn"};
  return hosts;
}

std::string SyntheticHostsFile(std::size_t lines, bool redirecting) {
  std::mt19937 random(150000);
  const std::vector<std::string>& hosts = BenchmarkBankHosts();
  std::string file = "# Copyright (c) 1993-2009 Microsoft Corp.\r\n#\r\n# hosts file\r\n";
  for (std::size_t line = 3; line < lines; ++line) {
    const std::string& host = hosts[random() % hosts.size()];
    const auto kind = random() % 1000;
    if (redirecting && kind < 2) {
      const std::size_t block = kind == 0 ? 1 + random() % 6 : 1;
      for (std::size_t i = 0; i < block; ++i) {
        file += Redirect(random, host) + "\r\n";
      }
      line += block - 1;
    } else if (kind < 12) {
      file += Decoy(random, host) + "\r\n";
    } else if (kind < 60) {
      file += "\r\n";
    } else if (kind < 100) {
      file += "# " + OtherName(random) + "\r\n";
    } else if (kind < 200) {
      file += Address(random) + " " + OtherName(random) + " " + OtherName(random) + "\r\n";
    } else {
      file += Address(random) + "\t" + OtherName(random) + (kind < 250 ? " # ad" : "") + "\r\n";
    }
  }
  return file;
}

}  // namespace tessaly::bench
