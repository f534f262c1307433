#pragma once

// The C signatures of the token manager's entry points, shared by Ravelin's binding and the
// stand-in token manager that implements them.
#include <cstdint>

#if defined(__i386__)
#define TOKENMGR_CALL __stdcall
#else
#define TOKENMGR_CALL
#endif

extern "C" {
using NDEstablishContextFn = std::int32_t(TOKENMGR_CALL*)();
using NDReleaseContextFn = std::int32_t(TOKENMGR_CALL*)();
using NDGetSlotListFn = std::int32_t(TOKENMGR_CALL*)(std::uint32_t* slots, std::uint32_t* count);
using NDOpenDeviceByIndexFn = std::int32_t(TOKENMGR_CALL*)(void** device, std::uint32_t slot);
using NDCloseDeviceFn = std::int32_t(TOKENMGR_CALL*)(void* device);
using WDSCardGetTokenSNFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint8_t* serial,
                                                         std::uint32_t* length);
using WDSCardResetFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint8_t* answer,
                                                    std::uint32_t* length);
using SCardSelectFileByIDFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint32_t fileId);
using WDSCardGetTokenMaterKeyTypeFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint8_t* type);
using SCardExternAuthFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint32_t keyId,
                                                       const std::uint8_t* key, std::uint32_t length);
using WDSCardAuthFn = std::int32_t(TOKENMGR_CALL*)(void* device);
using SCardAPDUFn = std::int32_t(TOKENMGR_CALL*)(void* device, const std::uint8_t* command,
                                                 std::uint32_t length, std::uint8_t* response,
                                                 std::uint32_t* responseLength);
using SCardReadBinFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint32_t p1, std::uint32_t p2,
                                                    std::uint8_t* buffer, std::uint32_t length);
using WDSCardEnumContainerFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::int32_t first,
                                                            char* name);
using WDSCardOpenContainerFn = std::int32_t(TOKENMGR_CALL*)(void* device, const char* name,
                                                            void** container);
// Middleware before 3.3.8 takes the form without the work buffer.
using WDSCardGetRSAKeyfromContainerOldFn = std::int32_t(TOKENMGR_CALL*)(
    void* device, void* container, std::uint32_t keySpec, std::uint8_t* keyByte,
    std::uint32_t* certificate);
using WDSCardGetRSAKeyfromContainerFn = std::int32_t(TOKENMGR_CALL*)(
    void* device, void* container, std::uint32_t keySpec, std::uint8_t* keyByte,
    std::uint32_t* certificate, std::uint8_t* workBuffer);
using WDSCardReadCertFn = std::int32_t(TOKENMGR_CALL*)(void* device, std::uint32_t certificate,
                                                       std::uint8_t* buffer, std::uint32_t* length);
}
