#include "config/TextConversion.h"

namespace tessaly {

std::u16string MultiByteToWideText(const CodePages& codePages, unsigned codePage,
                                   std::string_view bytes) {
  // The platform call treats a zero length as an error; an empty text simply stays empty.
  if (bytes.empty()) {
    return {};
  }
  return codePages.ToWide(codePage, bytes);
}

std::string WideToMultiByteText(const CodePages& codePages, unsigned codePage,
                                std::u16string_view text) {
  if (text.empty()) {
    return {};
  }
  return codePages.FromWide(codePage, text);
}

std::u16string Utf8ToWide(const CodePages& codePages, std::string_view utf8) {
  return MultiByteToWideText(codePages, kCodePageUtf8, utf8);
}

// A failed first step leaves an empty UTF-16 text, which the second step passes on as empty.
std::string Utf8ToAnsi(const CodePages& codePages, std::string_view utf8) {
  return WideToMultiByteText(codePages, kCodePageAnsi, Utf8ToWide(codePages, utf8));
}

std::string AnsiToUtf8(const CodePages& codePages, std::string_view ansi) {
  return WideToMultiByteText(codePages, kCodePageUtf8,
                             MultiByteToWideText(codePages, kCodePageAnsi, ansi));
}

}  // namespace tessaly
