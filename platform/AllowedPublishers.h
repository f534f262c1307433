#pragma once

#include "platform/CodeAdmission.h"

namespace tessaly {

// The publishers this build allows (cmake/CodePublishers.cmake).
PublisherAllowList AllowedPublishers();

}  // namespace tessaly
