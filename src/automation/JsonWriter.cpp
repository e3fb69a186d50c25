#include "automation/JsonWriter.h"

#include <cstdio>

#include "platform/Platform.h"

std::string TJsonWriter::Escape(const std::string& text) {
  std::string utf8 = plat::AnsiToUtf8(text);
  std::string out = "\"";
  for (char ch : utf8) {
    const auto c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

void TJsonWriter::Key(const char* key) {
  if (!First_.empty()) {
    if (!First_.back()) Out_ += ',';
    First_.back() = false;
  }
  if (key) Out_ += Escape(key) + ':';
}

TJsonWriter& TJsonWriter::BeginObject(const char* key) {
  Key(key);
  Out_ += '{';
  First_.push_back(true);
  return *this;
}

TJsonWriter& TJsonWriter::EndObject() {
  Out_ += '}';
  First_.pop_back();
  return *this;
}

TJsonWriter& TJsonWriter::BeginArray(const char* key) {
  Key(key);
  Out_ += '[';
  First_.push_back(true);
  return *this;
}

TJsonWriter& TJsonWriter::EndArray() {
  Out_ += ']';
  First_.pop_back();
  return *this;
}

TJsonWriter& TJsonWriter::Value(const char* key, int64_t v) {
  Key(key);
  Out_ += std::to_string(v);
  return *this;
}

TJsonWriter& TJsonWriter::Value(const char* key, double v) {
  Key(key);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.6g", v);
  Out_ += buf;
  return *this;
}

TJsonWriter& TJsonWriter::Value(const char* key, const std::string& v) {
  Key(key);
  Out_ += Escape(v);
  return *this;
}
