#pragma once

#include <span>

#include "config/DocumentSignature.h"

namespace tessaly {

// The document keys this build pins (cmake/DocumentKeys.cmake); empty when it pins none.
std::span<const DocumentKey> PinnedDocumentKeys();

}  // namespace tessaly
