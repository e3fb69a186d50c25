// The one text format of the game's content sources (levels, GUI layout,
// particle settings, map points, credits): lines of words, with indented lines
// as children of the line above.
//
//   # a comment
//   form "GameOptions"
//       bounds 200 120 400 300
//       caption "Options"
//
// A word is a run of non-blank characters, or text in "double quotes" or
// `backquotes` (which may hold the other quote). Indentation is tabs or spaces;
// a line indented deeper than the one before is its child.
#pragma once

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class DataError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class DataNode {
 public:
  int Size() const { return static_cast<int>(Tokens.size()); }
  const std::string& Token(int i) const;
  // Numeric access with range checks; throws DataError naming file and line.
  double Value(int i) const;
  int64_t Int(int i, int64_t min = INT64_MIN, int64_t max = INT64_MAX) const;
  bool IsNumber(int i) const;
  // Throws DataError unless the node has between min and max tokens.
  void Expect(int min, int max) const;
  [[noreturn]] void Fail(const std::string& message) const;
  std::string Where() const;  // "file:line"

  std::vector<std::string> Tokens;
  std::vector<DataNode> Children;
  std::string File;
  int Line = 0;
};

// The largest content file read by default: the biggest source is a few tens
// of kilobytes.
constexpr size_t kMaxDataFileBytes = size_t{4} << 20;

class DataFile {
 public:
  // Throws DataError on unreadable files and unbalanced quotes. Only a plain
  // file of at most maxBytes is read: a pipe, a device or a huge file in its
  // place is refused at once with its name.
  static DataFile Load(const std::string& path, size_t maxBytes = kMaxDataFileBytes);
  // The whole text of such a file, with the same checks; throws DataError.
  static std::string ReadText(const std::string& path, size_t maxBytes = kMaxDataFileBytes);
  static DataFile Parse(const std::string& text, const std::string& name);
  // One line of such a text, without its line break: false for a blank or
  // comment line, else the line's words in node and its indentation (a tab
  // counts four). Throws DataError on an unbalanced quote.
  static bool ParseLine(std::string_view line, const std::string& name, int lineNo, DataNode& node, int& indent);

  std::vector<DataNode> Nodes;
};

// Writes nodes back in the same format (decompilers use it).
class DataWriter {
 public:
  void Write(const std::vector<std::string>& tokens);
  void BeginChildren() { ++Depth_; }
  void EndChildren() { --Depth_; }
  void Comment(const std::string& text);
  void Blank() { Out_ += '\n'; }
  const std::string& Text() const { return Out_; }
  static std::string Quote(const std::string& token);

 private:
  std::string Out_;
  int Depth_ = 0;
};
