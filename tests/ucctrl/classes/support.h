// Small helpers of the string-list tests.
#pragma once
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "UcClasses.h"

inline void WriteBytes(const std::string& name, const std::string& bytes) {
  std::ofstream(name, std::ios::binary) << bytes;
}

inline std::string ReadBytes(const std::string& name) {
  std::ifstream in(name, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::u16string> Lines(TWideStrings& list) {
  std::vector<std::u16string> out;
  for (int i = 0; i < list.Count(); ++i) out.push_back(list.Get(i));
  return out;
}

// UTF-16LE bytes of a text, as a file holds them.
inline std::string Utf16le(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c & 0xFF));
    out.push_back(static_cast<char>(c >> 8));
  }
  return out;
}

inline std::string Utf16be(const std::u16string& s) {
  std::string out;
  for (char16_t c : s) {
    out.push_back(static_cast<char>(c >> 8));
    out.push_back(static_cast<char>(c & 0xFF));
  }
  return out;
}
