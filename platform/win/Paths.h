// Where the program's files are: the program directory (MORWICK_HOME, else the executable's directory)
// and the executable's own directory, in UTF-8.
#pragma once

#include <cstdint>
#include <string>

namespace morwick::display {

std::string ExecutableDirectory();
std::string ProgramDirectory();
// UTF-16 text to UTF-8 for file names.
std::string Utf8FromWide(const char16_t* text, int count = -1);
std::u16string WideFromUtf8(const std::string& text);
// One code point in UTF-8 (1 to 4 bytes), whatever it is.
void AppendUtf8(std::string& out, uint32_t c);

} // namespace morwick::display
