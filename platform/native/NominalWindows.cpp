#include "platform/native/NominalWindows.h"

#include "platform/portable/Utf8Codec.h"

namespace tessaly {

std::u16string Utf8OnlyCodePages::ToWide(unsigned, std::string_view bytes) const {
  return DecodeUtf8(bytes);
}

std::string Utf8OnlyCodePages::FromWide(unsigned, std::u16string_view text) const {
  return EncodeUtf8(text);
}

}  // namespace tessaly
