// A small streaming JSON writer for the state dumps.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class TJsonWriter {
 public:
  TJsonWriter& BeginObject(const char* key = nullptr);
  TJsonWriter& EndObject();
  TJsonWriter& BeginArray(const char* key = nullptr);
  TJsonWriter& EndArray();
  TJsonWriter& Value(const char* key, int64_t v);
  TJsonWriter& Value(const char* key, double v);
  TJsonWriter& Value(const char* key, bool v) { return Value(key, static_cast<int64_t>(v ? 1 : 0)); }
  TJsonWriter& Value(const char* key, int v) { return Value(key, static_cast<int64_t>(v)); }
  TJsonWriter& Value(const char* key, const std::string& v);
  TJsonWriter& Value(const char* key, const char* v) { return Value(key, std::string(v)); }
  const std::string& Text() const { return Out_; }
  // Text is 8-bit (Windows-1252); the writer escapes it as UTF-8 JSON.
  static std::string Escape(const std::string& text);

 private:
  void Key(const char* key);
  std::string Out_;
  std::vector<bool> First_;  // per open container: no member written yet
};
