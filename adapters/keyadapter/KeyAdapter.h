#pragma once

// The contract between Tessaly and its key adapters (Ravelin for Watchdata keys, Fennick for
// Feitian keys). Tessaly loads an adapter by path and looks each function up by the names
// below; an adapter that lacks one simply drops that query. The adapters export these
// functions undecorated (module-definition files) and Tessaly binds them through these types,
// so both sides are compiled against this one header.
//
// Rules both sides keep:
// - plain C functions, callee-cleans (stdcall) on 32-bit Windows, 32-bit integer results;
// - texts are NUL-terminated single-byte strings in the system's ANSI code page;
// - output buffers belong to the caller; the sizes below are the minimums a caller provides
//   and the most an adapter may write, terminator included;
// - no call keeps a key open: every call finds the key again.

#include <cstddef>
#include <cstdint>

#if defined(_WIN32) && defined(__i386__)
#define TESSALY_ADAPTER_CALL __stdcall
#else
// x86_64 Windows and the native builds have one calling convention only.
#define TESSALY_ADAPTER_CALL
#endif

namespace tessaly::keyadapter {

// Buffer sizes, in bytes, of the caller-owned output arguments.
inline constexpr std::size_t kSerialListBytes = 2048;      // GetKeySN
inline constexpr std::size_t kCertNameListBytes = 2048;    // GetCertCN
inline constexpr std::size_t kDateBytes = 12;              // GetCertNotBefore / NotAfter
inline constexpr std::size_t kIssuerBytes = 512;           // GetCertIssuer
inline constexpr std::size_t kFactoryNameBytes = 10;       // GetFactoryName ("Watchdata")
inline constexpr std::size_t kSoftwareVersionBytes = 260;  // GetSoftwareVersion
// Longest serial number a key carries (Fennick: the blank-padded PKCS#11 serial field).
inline constexpr std::size_t kMaxSerialBytes = 16;

// Results every export shares.
inline constexpr std::int32_t kFailure = 0;
inline constexpr std::int32_t kSuccess = 1;

}  // namespace tessaly::keyadapter

extern "C" {

// The eight common exports, which Tessaly binds.
using CheckKeyEnvFn = std::int32_t(TESSALY_ADAPTER_CALL*)(std::int32_t* code);
using GetKeyCountFn = std::int32_t(TESSALY_ADAPTER_CALL*)(std::int32_t* count);
using GetKeySNFn = std::int32_t(TESSALY_ADAPTER_CALL*)(char* serials);
using GetCertCNFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* serial, char* names);
using GetCertNotBeforeFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* name, char* date);
using GetCertNotAfterFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* name, char* date);
using GetPinRetryTimesFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* serial);
using DefaultPINFlgFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* serial);

// Ravelin's five further exports, for other callers of the library.
using GetCertIssuerFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* name, char* issuer);
using GetFactoryNameFn = std::int32_t(TESSALY_ADAPTER_CALL*)(char* name);
using GetSoftwareVersionFn = std::int32_t(TESSALY_ADAPTER_CALL*)(char* version);
using GetX509ReqDataFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* subject,
                                                             std::int32_t keyType, char* out,
                                                             std::int32_t* outLength);
using ImportCertDataFn = std::int32_t(TESSALY_ADAPTER_CALL*)(const char* certificate,
                                                             std::int32_t length);

}  // extern "C"

namespace tessaly::keyadapter {

// The names under which the adapters export the functions above.
inline constexpr const char* kCheckKeyEnv = "CheckKeyEnv";
inline constexpr const char* kGetKeyCount = "GetKeyCount";
inline constexpr const char* kGetKeySN = "GetKeySN";
inline constexpr const char* kGetCertCN = "GetCertCN";
inline constexpr const char* kGetCertNotBefore = "GetCertNotBefore";
inline constexpr const char* kGetCertNotAfter = "GetCertNotAfter";
inline constexpr const char* kGetPinRetryTimes = "GetPinRetryTimes";
inline constexpr const char* kDefaultPINFlg = "DefaultPINFlg";
inline constexpr const char* kGetCertIssuer = "GetCertIssuer";
inline constexpr const char* kGetFactoryName = "GetFactoryName";
inline constexpr const char* kGetSoftwareVersion = "GetSoftwareVersion";
inline constexpr const char* kGetX509ReqData = "GetX509ReqData";
inline constexpr const char* kImportCertData = "ImportCertData";

}  // namespace tessaly::keyadapter
