#include "engine/core/DataFile.h"

#include <charconv>
#include <cmath>

#include "engine/core/SafeFile.h"

const std::string& DataNode::Token(int i) const {
  if (i < 0 || i >= Size()) Fail("expected at least " + std::to_string(i + 1) + " words");
  return Tokens[i];
}

bool DataNode::IsNumber(int i) const {
  if (i < 0 || i >= Size()) return false;
  const std::string& t = Tokens[i];
  if (t.empty()) return false;
  double v = 0;
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (*b == '+') ++b;
  auto r = std::from_chars(b, e, v);
  return r.ec == std::errc() && r.ptr == e;
}

double DataNode::Value(int i) const {
  const std::string& t = Token(i);
  if (!IsNumber(i)) Fail("\"" + t + "\" is not a number");
  double v = 0;
  const char* b = t.data();
  if (*b == '+') ++b;
  std::from_chars(b, t.data() + t.size(), v);
  return v;
}

int64_t DataNode::Int(int i, int64_t min, int64_t max) const {
  const std::string& t = Token(i);
  auto outOfRange = [&] {
    Fail("\"" + t + "\" is out of range " + std::to_string(min) + ".." + std::to_string(max));
  };
  // Whole numbers are read exactly: through a double, the largest ones would
  // round to a neighbour.
  const char* b = t.data();
  const char* e = t.data() + t.size();
  if (b != e && *b == '+') ++b;
  int64_t n = 0;
  const auto r = std::from_chars(b, e, n);
  if (r.ptr == e && r.ec == std::errc::result_out_of_range) outOfRange();
  if (r.ec != std::errc() || r.ptr != e) {
    // A whole number written another way ("2.0", "1e3").
    const double v = Value(i);
    if (v != std::floor(v)) Fail("\"" + t + "\" is not a whole number");
    if (!(v > -9.0e18 && v < 9.0e18)) outOfRange();
    n = static_cast<int64_t>(v);
  }
  if (n < min || n > max) outOfRange();
  return n;
}

void DataNode::Expect(int min, int max) const {
  if (Size() < min || Size() > max) {
    std::string what = Tokens.empty() ? std::string("line") : "\"" + Tokens[0] + "\"";
    if (min == max)
      Fail(what + " takes " + std::to_string(min - 1) + " value(s)");
    Fail(what + " takes " + std::to_string(min - 1) + " to " + std::to_string(max - 1) + " values");
  }
}

std::string DataNode::Where() const { return File + ":" + std::to_string(Line); }

void DataNode::Fail(const std::string& message) const { throw DataError(Where() + ": " + message); }

std::string DataFile::ReadText(const std::string& path, size_t maxBytes) {
  std::vector<uint8_t> bytes;
  std::string error;
  if (!ReadSmallFile(path, maxBytes, bytes, error)) throw DataError(error);
  return std::string(bytes.begin(), bytes.end());
}

DataFile DataFile::Load(const std::string& path, size_t maxBytes) { return Parse(ReadText(path, maxBytes), path); }

bool DataFile::ParseLine(std::string_view line, const std::string& name, int lineNo, DataNode& node, int& indent) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  size_t i = 0;
  indent = 0;
  while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
    indent += line[i] == '\t' ? 4 : 1;
    ++i;
  }
  if (i >= line.size() || line[i] == '#') return false;
  node = DataNode();
  node.File = name;
  node.Line = lineNo;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (c == '#') break;
    if (c == '"' || c == '`') {
      size_t close = line.find(c, i + 1);
      if (close == std::string_view::npos) throw DataError(name + ":" + std::to_string(lineNo) + ": unbalanced quote");
      node.Tokens.emplace_back(line.substr(i + 1, close - i - 1));
      i = close + 1;
      continue;
    }
    size_t start = i;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') ++i;
    node.Tokens.emplace_back(line.substr(start, i - start));
  }
  return true;
}

DataFile DataFile::Parse(const std::string& text, const std::string& name) {
  DataFile file;
  // Stack of (indent, node list) to attach children.
  std::vector<std::pair<int, std::vector<DataNode>*>> stack;
  stack.push_back({-1, &file.Nodes});
  size_t pos = 0;
  int lineNo = 0;
  while (pos < text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    DataNode node;
    int indent = 0;
    if (!ParseLine(line, name, lineNo, node, indent)) continue;
    while (stack.back().first >= indent) stack.pop_back();
    std::vector<DataNode>* list = stack.back().second;
    list->push_back(std::move(node));
    stack.push_back({indent, &list->back().Children});
  }
  return file;
}

std::string DataWriter::Quote(const std::string& token) {
  bool plain = !token.empty();
  for (char c : token)
    if (c == ' ' || c == '\t' || c == '"' || c == '`' || c == '#') plain = false;
  if (plain) return token;
  if (token.find('"') == std::string::npos) return "\"" + token + "\"";
  return "`" + token + "`";
}

void DataWriter::Write(const std::vector<std::string>& tokens) {
  Out_.append(static_cast<size_t>(Depth_), '\t');
  for (size_t i = 0; i < tokens.size(); ++i) {
    if (i) Out_ += ' ';
    Out_ += Quote(tokens[i]);
  }
  Out_ += '\n';
}

void DataWriter::Comment(const std::string& text) {
  Out_.append(static_cast<size_t>(Depth_), '\t');
  Out_ += "# " + text + "\n";
}
