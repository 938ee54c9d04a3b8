// Text helpers of the stand-in server: GB2312 from the UTF-8 literals of its sources, case-insensitive
// comparison, and hexadecimal.
#pragma once

#include <string>
#include <vector>

// The GB2312/GBK bytes of a UTF-8 text (characters the code page lacks become "?").
std::string Gb(const std::string& utf8);
// UTF-8 of GB2312/GBK bytes (tests and logs).
std::string GbToUtf8(const std::string& gb);
bool EqualNoCase(const std::string& a, const std::string& b);
std::string ToLower(std::string s);
std::string HexLower(const unsigned char* data, size_t length);
// Hexadecimal text to bytes; false for an odd length or a non-hexadecimal character.
bool HexDecode(const std::string& text, std::vector<unsigned char>& out);
// Standard Base64 (with padding) to bytes; false on any character outside the alphabet or a bad length.
bool Base64Decode(const std::string& text, std::vector<unsigned char>& out);
std::string Base64EncodeText(const unsigned char* data, size_t length);
std::vector<std::string> Split(const std::string& text, char separator);
