#include "usbkey/AdapterPath.h"

#include <vector>

namespace tessaly {
namespace {

bool IsSeparator(char16_t c) { return c == u'\\' || c == u'/'; }

// The part of a path that ".." never climbs out of: "\\\\server\\share", "C:" or nothing.
std::size_t RootLength(std::u16string_view path) {
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    std::size_t separators = 0;
    for (std::size_t i = 2; i < path.size(); ++i) {
      if (IsSeparator(path[i]) && ++separators == 2) {
        return i;
      }
    }
    return path.size();
  }
  if (path.size() >= 2 && path[1] == u':') {
    return 2;
  }
  return 0;
}

}  // namespace

std::u16string AdapterPathBeside(std::u16string_view programPath, std::u16string_view relative) {
  std::u16string joined(programPath);
  joined += u'\\';
  joined += relative;

  const std::size_t rootLength = RootLength(joined);
  std::vector<std::u16string_view> components;
  const std::u16string_view rest = std::u16string_view(joined).substr(rootLength);
  std::size_t start = 0;
  while (start <= rest.size()) {
    std::size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) {
      ++end;
    }
    const std::u16string_view component = rest.substr(start, end - start);
    if (component == u"..") {
      if (!components.empty()) {
        components.pop_back();
      }
    } else if (!component.empty() && component != u".") {
      components.push_back(component);
    }
    start = end + 1;
  }

  std::u16string result(joined.substr(0, rootLength));
  const bool rooted = rootLength > 0 || IsSeparator(joined.front());
  for (std::size_t i = 0; i < components.size(); ++i) {
    if (i > 0 || rooted) {
      result += u'\\';
    }
    result += components[i];
  }
  return result;
}

}  // namespace tessaly
