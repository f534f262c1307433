#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>

namespace tessaly::ravelin {
class RavelinAdapter;
}

namespace tessaly::ravelin::win32 {

// The library's process-wide life: deployment at load, clean-up at unload.
bool AttachLibrary(HMODULE self);
void DetachLibrary();

// Runs one export over the adapter; the first call binds the token manager (once per
// process, RavelinLibrary.cpp). `failure` when it cannot be loaded or bound (the binding
// message is then shown, once per load of this library).
std::int32_t WithAdapter(std::int32_t failure, const std::function<std::int32_t(RavelinAdapter&)>& call);

}  // namespace tessaly::ravelin::win32
