#include "output.h"

#include <algorithm>

namespace opcclient {

namespace {

const char kCsvEnd[] = "\r\n";
const char kSeparator[] = "  ";

void WritePadded(std::ostream& out, const std::string& text, size_t width, bool last) {
  out << text;
  if (!last)
    for (size_t w = DisplayWidth(text); w < width; ++w) out << ' ';
}

void WriteTableLine(std::ostream& out, const std::vector<std::string>& cells, const std::vector<size_t>& widths) {
  // The last column is not padded: no line ends in blanks.
  size_t last = cells.size();
  while (last > 0 && cells[last - 1].empty()) --last;
  for (size_t i = 0; i < last; ++i) {
    if (i > 0) out << kSeparator;
    WritePadded(out, cells[i], widths[i], i + 1 == last);
  }
  out << "\n";
}

void WriteRule(std::ostream& out, const std::vector<size_t>& widths) {
  for (size_t i = 0; i < widths.size(); ++i) {
    if (i > 0) out << kSeparator;
    out << std::string(widths[i], '-');
  }
  out << "\n";
}

void WriteCsvRecord(std::ostream& out, const std::vector<std::string>& fields) {
  for (size_t i = 0; i < fields.size(); ++i) out << (i > 0 ? "," : "") << CsvField(fields[i]);
  out << kCsvEnd;
}

std::vector<std::string> Headers(const std::vector<Column>& columns) {
  std::vector<std::string> headers;
  for (const Column& column : columns) headers.push_back(column.header);
  return headers;
}

std::vector<std::string> Texts(const Row& row) {
  std::vector<std::string> texts;
  for (const Cell& cell : row) texts.push_back(CellText(cell));
  return texts;
}

Json Object(const std::vector<Column>& columns, const Row& row) {
  Json object = Json::object();
  for (size_t i = 0; i < columns.size() && i < row.size(); ++i) object[columns[i].key] = row[i];
  return object;
}

}  // namespace

size_t DisplayWidth(const std::string& utf8) {
  return static_cast<size_t>(std::count_if(utf8.begin(), utf8.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

std::string CellText(const Cell& cell) {
  if (cell.is_null()) return std::string();
  if (cell.is_string()) return cell.get<std::string>();
  return JsonText(cell);
}

std::string CsvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char c : text) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string JsonText(const Json& value, int indent) {
  return value.dump(indent, ' ', false, Json::error_handler_t::replace);
}

void Listing::Write(std::ostream& out, Format format) const {
  switch (format) {
    case Format::Table: {
      std::vector<size_t> widths;
      for (const Column& column : columns_) widths.push_back(DisplayWidth(column.header));
      std::vector<std::vector<std::string>> texts;
      for (const Row& row : rows_) {
        texts.push_back(Texts(row));
        for (size_t i = 0; i < widths.size() && i < texts.back().size(); ++i)
          widths[i] = std::max(widths[i], DisplayWidth(texts.back()[i]));
      }
      WriteTableLine(out, Headers(columns_), widths);
      WriteRule(out, widths);
      for (const std::vector<std::string>& line : texts) WriteTableLine(out, line, widths);
      break;
    }
    case Format::Json: {
      Json array = Json::array();
      for (const Row& row : rows_) array.push_back(Object(columns_, row));
      out << JsonText(array, 2) << "\n";
      break;
    }
    case Format::Csv:
      WriteCsvRecord(out, Headers(columns_));
      for (const Row& row : rows_) WriteCsvRecord(out, Texts(row));
      break;
  }
}

RecordStream::RecordStream(std::ostream& out, Format format, std::vector<Column> columns)
    : out_(out), format_(format), columns_(std::move(columns)) {
  for (const Column& column : columns_) widths_.push_back(DisplayWidth(column.header));
}

void RecordStream::Add(const Row& row) {
  if (!started_) {
    started_ = true;
    if (format_ == Format::Table) {
      WriteTableLine(out_, Headers(columns_), widths_);
      WriteRule(out_, widths_);
    } else if (format_ == Format::Csv) {
      WriteCsvRecord(out_, Headers(columns_));
    }
  }
  switch (format_) {
    case Format::Table:
      WriteTableLine(out_, Texts(row), widths_);
      break;
    case Format::Json:
      out_ << JsonText(Object(columns_, row)) << "\n";
      break;
    case Format::Csv:
      WriteCsvRecord(out_, Texts(row));
      break;
  }
  out_.flush();  // a repeated read shows each record as it comes
}

}  // namespace opcclient
