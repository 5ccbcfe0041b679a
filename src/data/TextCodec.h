#pragma once
// Code page 1252, in which plan texts are stored, to and from UTF-8, in which
// the program's strings travel.

#include <string>
#include <string_view>

namespace nivora {

std::string Cp1252ToUtf8(std::string_view cp1252);
// Characters without a code page 1252 form become "?".
std::string Utf8ToCp1252(std::string_view utf8);

}  // namespace nivora
