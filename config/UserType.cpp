#include "config/UserType.h"

#include <array>

namespace tessaly {
namespace {

struct ClassUserType {
  std::string_view className;
  int userType;
};

constexpr std::array kClassUserTypes{
    ClassUserType{"CWoqiUSBKey", 3},
    ClassUserType{"CWoqiUSBKey1", 4},
    ClassUserType{"CFeitianUSBKey", 5},
};

// The type of a user who has not chosen a key, and of classes no probe knows.
constexpr int kUserTypeWithoutKey = 2;

}  // namespace

int UserTypeOfClass(std::string_view className) {
  for (const ClassUserType& entry : kClassUserTypes) {
    if (entry.className == className) {
      return entry.userType;
    }
  }
  return kUserTypeWithoutKey;
}

}  // namespace tessaly
