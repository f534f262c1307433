#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The hosts file's bytes as the check searches them: every CR LF becomes LF, one LF is
// appended, and one LF is put in front unless the text already begins with one, so that
// every line, the first and the last included, lies between two LFs.
std::string HostsTextFromFile(std::string_view bytes);

// The searched text as the file stores it again: every LF becomes CR LF.
std::string HostsFileFromText(std::string_view text);

}  // namespace tessaly
