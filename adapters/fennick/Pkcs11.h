#pragma once

// The PKCS#11 types and function list, from Debian's maintained header (p11-kit). On
// Windows it packs every structure to one byte, as PKCS#11 libraries there are built; the
// native build (tests against SoftHSM2) keeps the platform's own layout.
#include <p11-kit/pkcs11.h>

#include "platform/ModuleLoader.h"

namespace tessaly::fennick {

#if defined(_WIN32)
#pragma pack(push, 1)
#endif

// Feitian's auxiliary function list, as E_GetAuxFunctionList hands it out: a version and
// then function pointers, of which Fennick calls only the third, the PIN information.
// `record` is 8 bytes; byte 3 receives the number of user-PIN tries left.
using AuxGetPinInfoFn = CK_RV (*)(CK_SLOT_ID slot, unsigned char* record);
struct AuxFunctionList {
  CK_VERSION version;
  ModuleFunction first;
  ModuleFunction second;
  AuxGetPinInfoFn getPinInfo;
};

#if defined(_WIN32)
#pragma pack(pop)
#endif

#if defined(_WIN32)
// A 2-byte version, then pointers without padding: 10 bytes in on 32-bit Windows.
static_assert(__builtin_offsetof(AuxFunctionList, getPinInfo) == 2 + 2 * sizeof(void*));
static_assert(sizeof(CK_ATTRIBUTE) == 2 * sizeof(CK_ULONG) + sizeof(void*), "one-byte packing");
#endif

using E_GetAuxFunctionListFn = CK_RV (*)(AuxFunctionList** list);

inline constexpr std::size_t kPinRecordBytes = 8;
inline constexpr std::size_t kPinTriesByte = 3;

}  // namespace tessaly::fennick
