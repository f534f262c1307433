#include "usbkey/CertificateState.h"

#include "shell/CalendarMonth.h"

namespace tessaly {
namespace {

// The number at the start of `text` the way the C library's atoi reads it: leading white
// space, an optional sign, then digits; 0 when there are none. Large values are held at a
// bound far beyond any valid field instead of overflowing.
int LeadingNumber(std::string_view text) {
  constexpr int kBound = 1'000'000;
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
    ++i;
  }
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  int value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value >= kBound ? kBound : value * 10 + (text[i] - '0');
  }
  return negative ? -value : value;
}

}  // namespace

std::optional<std::int32_t> CertificateStateOf(std::string_view notAfter, const Clock& clock) {
  const std::size_t first = notAfter.find('-');
  if (first == std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t last = notAfter.rfind('-');
  LocalDateTime end;
  end.year = LeadingNumber(notAfter.substr(0, first));
  end.month = first == last ? 0 : LeadingNumber(notAfter.substr(first + 1, last - first - 1));
  end.day = LeadingNumber(notAfter.substr(last + 1));
  if (end.year < 1900 || end.month < 1 || end.month > 12 || end.day < 1 || end.day > 31) {
    return std::nullopt;
  }

  const std::optional<std::int64_t> expiry = clock.FromLocal(NormalisedDate(end));
  const std::optional<std::int64_t> warning = clock.FromLocal(OneMonthEarlier(end));
  if (!expiry || !warning) {
    return std::nullopt;
  }
  const std::int64_t now = clock.Now();
  if (now >= *expiry) {
    return kCertificateExpired;
  }
  return now < *warning ? kCertificateValid : kCertificateRenewSoon;
}

}  // namespace tessaly
