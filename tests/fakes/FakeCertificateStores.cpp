#include "tests/fakes/FakeCertificateStores.h"

#include <algorithm>
#include <string>

namespace tessaly {
namespace {

constexpr std::string_view kBase64Alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  return std::ranges::search(text, part, [](char a, char b) { return LowerAscii(a) == LowerAscii(b); })
                 .begin() != text.end() ||
         part.empty();
}

// The subject as the platform's subject search sees it: the attribute values, joined.
std::string SubjectText(const FakeCertificateData& data) {
  std::string text;
  for (const auto& [oid, value] : data.subject) {
    text += (text.empty() ? "" : ", ") + value;
  }
  return text;
}

bool SameIssuerAndSerial(const FakeCertificateData& a, const FakeCertificateData& b) {
  return a.issuer == b.issuer && a.serial == b.serial;
}

// Strict Base64 (whitespace between groups allowed); nothing when the text is not Base64.
std::optional<std::string> DecodeBase64(std::string_view text) {
  std::string bytes;
  unsigned bits = 0;
  int bitCount = 0;
  std::size_t padding = 0;
  std::size_t symbols = 0;
  for (char c : text) {
    if (c == ' ' || c == '\r' || c == '\n' || c == '\t') {
      continue;
    }
    if (c == '=') {
      ++padding;
      ++symbols;
      continue;
    }
    const std::size_t value = kBase64Alphabet.find(c);
    if (value == std::string_view::npos || padding > 0) {
      return std::nullopt;
    }
    ++symbols;
    bits = (bits << 6) | static_cast<unsigned>(value);
    bitCount += 6;
    if (bitCount >= 8) {
      bitCount -= 8;
      bytes.push_back(static_cast<char>((bits >> bitCount) & 0xFFu));
    }
  }
  if (symbols == 0 || symbols % 4 != 0 || padding > 2) {
    return std::nullopt;
  }
  return bytes;
}

class FakeCertificate final : public Certificate {
 public:
  explicit FakeCertificate(FakeCertificateData data) : data_(std::move(data)) {}

  std::string SubjectAttribute(std::string_view oid) const override {
    for (const auto& [attribute, value] : data_.subject) {
      if (attribute == oid) {
        return value;
      }
    }
    return {};
  }

  bool HasSameIssuerAndSerial(const Certificate& other) const override {
    const auto* fake = dynamic_cast<const FakeCertificate*>(&other);
    return fake != nullptr && SameIssuerAndSerial(data_, fake->data_);
  }

  const FakeCertificateData& data() const { return data_; }

 private:
  FakeCertificateData data_;
};

}  // namespace

class FakeCertificateStores::Store final : public CertificateStore {
 public:
  Store(FakeCertificateStores& owner, std::string name) : owner_(owner), name_(std::move(name)) {
    ++owner_.openStores;
  }
  ~Store() override { --owner_.openStores; }
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  void ForEachWithSubject(std::string_view text,
                          const std::function<bool(const Certificate&)>& visit) override {
    owner_.searches.emplace_back(name_, std::string(text));
    // A snapshot, as a store enumeration does not see what the visitor changes.
    const std::vector<FakeCertificateData> contents = owner_.stores[name_];
    for (const FakeCertificateData& data : contents) {
      if (ContainsIgnoringCase(SubjectText(data), text) && !visit(FakeCertificate(data))) {
        return;
      }
    }
  }

  CertificateAddResult AddEncodedReplacingExisting(std::string_view der) override {
    const auto known = owner_.known_.find(der);
    if (owner_.decliningAdds.contains(name_)) {
      Record(std::string(der), FakeAddKind::EncodedReplacingExisting, false);
      return CertificateAddResult::Declined;
    }
    const bool added = !owner_.refusingAdds.contains(name_) && known != owner_.known_.end();
    if (added) {
      std::vector<FakeCertificateData>& contents = owner_.stores[name_];
      std::erase_if(contents, [&](const FakeCertificateData& held) { return held.der == der; });
      contents.push_back(known->second);
    }
    Record(std::string(der), FakeAddKind::EncodedReplacingExisting, added);
    return added ? CertificateAddResult::Added : CertificateAddResult::NotAdded;
  }

  bool AddUnlessNewerPresent(const Certificate& certificate) override {
    const auto* fake = dynamic_cast<const FakeCertificate*>(&certificate);
    bool added = fake != nullptr && !owner_.refusingAdds.contains(name_);
    if (added) {
      std::vector<FakeCertificateData>& contents = owner_.stores[name_];
      const auto held = std::ranges::find_if(
          contents, [&](const FakeCertificateData& data) { return SameIssuerAndSerial(data, fake->data()); });
      if (held == contents.end()) {
        contents.push_back(fake->data());
      } else if (held->issued < fake->data().issued) {
        *held = fake->data();
      } else {
        added = false;
      }
    }
    Record(fake != nullptr ? fake->data().der : std::string(), FakeAddKind::UnlessNewerPresent, added);
    return added;
  }

 private:
  void Record(std::string der, FakeAddKind kind, bool added) {
    owner_.adds.push_back({name_, std::move(der), kind, added});
  }

  FakeCertificateStores& owner_;
  std::string name_;
};

std::vector<std::string> FakeCertificateStores::EncodingsIn(const std::string& name) const {
  std::vector<std::string> encodings;
  const auto store = stores.find(name);
  if (store != stores.end()) {
    for (const FakeCertificateData& data : store->second) {
      encodings.push_back(data.der);
    }
  }
  return encodings;
}

std::unique_ptr<CertificateStore> FakeCertificateStores::OpenCurrentUserSystemStore(std::string_view name) {
  if (unopenable.contains(name)) {
    return nullptr;
  }
  return std::make_unique<Store>(*this, std::string(name));
}

std::unique_ptr<Certificate> FakeCertificateStores::MakeCertificate(std::string_view der) {
  const auto known = known_.find(der);
  if (known == known_.end()) {
    return nullptr;
  }
  return std::make_unique<FakeCertificate>(known->second);
}

std::optional<std::string> FakeCertificateStores::DecodeCertificateText(std::string_view text,
                                                                        std::size_t maxBytes) {
  if (text.empty()) {
    return std::nullopt;
  }
  // As the platform does: Base64 between header lines, then bare Base64, then raw bytes.
  std::optional<std::string> bytes;
  const std::size_t begin = text.find("-----BEGIN");
  if (begin != std::string_view::npos) {
    const std::size_t bodyStart = text.find('\n', begin);
    const std::size_t end = text.find("-----END");
    if (bodyStart != std::string_view::npos && end != std::string_view::npos && bodyStart < end) {
      bytes = DecodeBase64(text.substr(bodyStart + 1, end - bodyStart - 1));
    }
  }
  if (!bytes) {
    bytes = DecodeBase64(text);
  }
  if (!bytes) {
    bytes = std::string(text);
  }
  if (bytes->size() > maxBytes) {
    return std::nullopt;
  }
  return bytes;
}

std::string PemText(std::string_view bytes) {
  const auto byteAt = [&](std::size_t index) {
    return index < bytes.size() ? static_cast<unsigned>(static_cast<unsigned char>(bytes[index])) : 0u;
  };
  std::string base64;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned group = (byteAt(i) << 16) | (byteAt(i + 1) << 8) | byteAt(i + 2);
    const std::size_t present = std::min<std::size_t>(bytes.size() - i, 3);
    // n bytes make n + 1 symbols; the rest of the group of four is padding.
    for (std::size_t symbol = 0; symbol < 4; ++symbol) {
      base64.push_back(symbol <= present ? kBase64Alphabet[(group >> (18 - 6 * symbol)) & 0x3Fu] : '=');
    }
  }
  std::string text = "-----BEGIN CERTIFICATE-----\n";
  for (std::size_t line = 0; line < base64.size(); line += 64) {
    text += base64.substr(line, 64) + "\n";
  }
  return text + "-----END CERTIFICATE-----\n";
}

}  // namespace tessaly
