// The three output formats of the listing commands: an aligned table for
// people, JSON and CSV (RFC 4180) for programs.
#pragma once

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

namespace opcclient {

enum class Format { Table, Json, Csv };

struct Column {
  std::string header;  // table and CSV
  std::string key;     // JSON member name
};

// JSON objects keep their members in the order of the columns.
using Json = nlohmann::ordered_json;
// A cell: a string, a number, a boolean or null (an empty cell).
using Cell = Json;
using Row = std::vector<Cell>;

// The text of a cell in a table or a CSV record.
std::string CellText(const Cell& cell);
// A field quoted as RFC 4180 wants it: between double quotes, with quotes
// doubled, when it holds a comma, a quote or a line break.
std::string CsvField(const std::string& text);
// JSON text that is always valid UTF-8, whatever a server's names held.
std::string JsonText(const Json& value, int indent = -1);

// Rows written once all are known: the table's columns fit their widest cell.
// Table: a header, a rule, one line a row. JSON: an array of objects. CSV: a
// header record, then one record a row, each ended by CR LF.
class Listing {
 public:
  explicit Listing(std::vector<Column> columns) : columns_(std::move(columns)) {}
  void Add(Row row) { rows_.push_back(std::move(row)); }
  size_t Size() const { return rows_.size(); }
  void Write(std::ostream& out, Format format) const;

 private:
  std::vector<Column> columns_;
  std::vector<Row> rows_;
};

// Rows written as they come (one a read of a repeated read): the table's
// columns are as wide as their headers, JSON is one object a line.
class RecordStream {
 public:
  RecordStream(std::ostream& out, Format format, std::vector<Column> columns);
  void Add(const Row& row);

 private:
  std::ostream& out_;
  Format format_;
  std::vector<Column> columns_;
  std::vector<size_t> widths_;
  bool started_ = false;
};

// Display width of UTF-8 text: one column a code point.
size_t DisplayWidth(const std::string& utf8);

}  // namespace opcclient
