// The output formats: aligned tables, RFC 4180 fields, JSON that stays valid.
#include <gtest/gtest.h>

#include <sstream>

#include "output.h"

namespace {

using opcclient::Format;

opcclient::Listing Sample() {
  opcclient::Listing listing({{"Item ID", "itemId"}, {"Valid", "valid"}, {"Note", "note"}});
  listing.Add({"Plant.Äbc", true, "a, \"b\""});
  listing.Add({"X", false, nullptr});
  return listing;
}

std::string Written(const opcclient::Listing& listing, Format format) {
  std::ostringstream out;
  listing.Write(out, format);
  return out.str();
}

TEST(Listing, TableAlignsOnCodePointsAndPadsNoLastColumn) {
  EXPECT_EQ(
      "Item ID    Valid  Note\n"
      "---------  -----  ------\n"
      "Plant.Äbc  true   a, \"b\"\n"
      "X          false\n",
      Written(Sample(), Format::Table));
}

TEST(Listing, CsvQuotesWhatRfc4180Wants) {
  EXPECT_EQ("Item ID,Valid,Note\r\nPlant.Äbc,true,\"a, \"\"b\"\"\"\r\nX,false,\r\n", Written(Sample(), Format::Csv));
  const struct {
    const char* field;
    const char* written;
  } cases[] = {{"plain", "plain"}, {"", ""}, {"a,b", "\"a,b\""}, {"say \"hi\"", "\"say \"\"hi\"\"\""},
               {"two\nlines", "\"two\nlines\""}, {"cr\r", "\"cr\r\""}, {" blank ", " blank "}};
  for (const auto& c : cases) EXPECT_EQ(c.written, opcclient::CsvField(c.field)) << c.field;
}

TEST(Listing, JsonKeepsTypesAndReplacesBrokenUtf8) {
  opcclient::Listing listing({{"Name", "name"}, {"Level", "level"}});
  listing.Add({std::string("bad\xFF"), 3});
  const auto parsed = nlohmann::json::parse(Written(listing, Format::Json));
  EXPECT_EQ("bad\xEF\xBF\xBD", parsed[0]["name"]);
  EXPECT_EQ(3, parsed[0]["level"]);
  EXPECT_EQ(nlohmann::json::parse(Written(Sample(), Format::Json))[1]["note"], nullptr);
}

TEST(RecordStream, WritesEachRecordAsItComes) {
  const std::vector<opcclient::Column> columns = {{"Read", "read"}, {"A.Long.Tag", "A.Long.Tag"}};
  const struct {
    Format format;
    const char* written;
  } cases[] = {
      {Format::Table, "Read  A.Long.Tag\n----  ----------\n1     x\n2     y\n"},
      {Format::Json, "{\"read\":1,\"A.Long.Tag\":\"x\"}\n{\"read\":2,\"A.Long.Tag\":\"y\"}\n"},
      {Format::Csv, "Read,A.Long.Tag\r\n1,x\r\n2,y\r\n"},
  };
  for (const auto& c : cases) {
    std::ostringstream out;
    opcclient::RecordStream records(out, c.format, columns);
    records.Add({1, "x"});
    records.Add({2, "y"});
    EXPECT_EQ(c.written, out.str());
  }
}

}  // namespace
