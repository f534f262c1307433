#pragma once

#include <string>
#include <string_view>

namespace tessaly {

// The path of an adapter file named relative to the program's own file, such as
// "..\\Fennick.dll": `relative` is appended to `programPath` as one more path component and
// the result is canonicalised ("." dropped, ".." removing the component before it, never
// the drive or the server and share), which yields the file of that name in the program's
// folder. Either separator is accepted; the result uses backslashes. Any length.
std::u16string AdapterPathBeside(std::u16string_view programPath, std::u16string_view relative);

}  // namespace tessaly
