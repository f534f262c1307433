#pragma once

#include <set>
#include <string>
#include <string_view>

#include "platform/CodePages.h"

namespace tessaly {

// Code pages without Windows, converting as the Windows converters do with default flags:
// 65001 turns malformed UTF-8 and lone surrogates into U+FFFD; 1252 is Windows-1252, where a
// character the code page lacks becomes "?" after a best-fit pass that folds the fullwidth
// ASCII forms (U+FF01-U+FF5E) to ASCII. The ANSI code page (0) behaves as either of the
// two, like a Western or a UTF-8 configured system. Failures are modelled explicitly.
class FakeCodePages final : public CodePages {
 public:
  enum class Ansi { Windows1252, Utf8 };

  Ansi ansi = Ansi::Windows1252;
  // Conversions in these code pages (as the caller names them, 0 for ANSI) fail. Other code
  // pages than 0, 1252 and 65001 always fail.
  std::set<unsigned> failingCodePages;

  std::u16string ToWide(unsigned codePage, std::string_view bytes) const override;
  std::string FromWide(unsigned codePage, std::u16string_view text) const override;

 private:
  enum class Codec { Utf8, Windows1252, None };
  Codec CodecFor(unsigned codePage) const;
};

}  // namespace tessaly
