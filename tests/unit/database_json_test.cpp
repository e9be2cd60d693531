#include <gtest/gtest.h>

#include <memory>
#include <string>

#include <nlohmann/json.hpp>

#include "cli/database_json.h"
#include "database/velnor_doc.h"
#include "tests/unit/byte_helpers.h"
#include "tests/unit/doc_builder.h"
#include "tests/unit/memory_env.h"

namespace {

using Json = nlohmann::ordered_json;

// Bytes → document → JSON → document → bytes.
std::string ThroughJson(const std::string& bytes, std::string* json = nullptr) {
  MemoryEnv env;
  CVelnorDoc loaded(env);
  const DatabaseLoadReport report = loaded.LoadDatabaseBytes(bytes);
  EXPECT_FALSE(report.damaged) << report.failReason << " at " << report.failOffset;
  const std::string text = DatabaseToJson(loaded);
  if (json != nullptr) *json = text;
  CVelnorDoc rebuilt(env);
  std::string error;
  EXPECT_TRUE(DatabaseFromJson(text, rebuilt, error)) << error;
  return rebuilt.SaveDatabaseBytes();
}

std::string BytesFromJson(const std::string& text) {
  MemoryEnv env;
  CVelnorDoc doc(env);
  std::string error;
  EXPECT_TRUE(DatabaseFromJson(text, doc, error)) << error;
  return doc.SaveDatabaseBytes();
}

TEST(DatabaseJson, EmptyDatabasePrintsEveryKeyInOrder) {
  const std::string empty = Hex("0000 0000 01000000 01000000 00000000 00000000 01000000") +
                            std::string(28, '\0');
  std::string json;
  EXPECT_EQ(ThroughJson(empty, &json), empty);
  EXPECT_EQ(json,
            R"({"files":[],"folders":[],"autorun":true,"mp3Support":true,)"
            R"("dpiWarningShown":false,"searchFullPath":false,"firstRun":true,)"
            R"("placement":{"valid":false,"rect":[0,0,0,0],"titleWidth":0,"folderWidth":0}})");
}

TEST(DatabaseJson, FullDatabaseSurvivesTheRoundTripByteForByte) {
  MemoryEnv env;
  CVelnorDoc doc(env);  // stored out of sorted order, which both directions keep
  AddRecord(doc, "C:\\Users\\ana\\Documents\\Zeugnis.pdf", 3, 1009843200);
  AddRecord(doc, "C:\\a.txt");
  AddRecord(doc, "C:\\Users\\jörg\\Músic\\日本語のうた 🎵.mp3", INT32_MAX, 4294967295LL);
  AddRecord(doc, "C:\\odd \"quoted\" \\ name\t.lnk", INT32_MIN, 1);
  AddRecord(doc, std::string(300, 'x'), -1, 2);  // the three-byte length prefix
  AddFolder(doc, std::make_unique<CFolder>("Start Menu", "C:\\Start Menu", true, 140));
  AddFolder(doc, std::make_unique<CFolder>("Музыка", "D:\\Музыка", false, -7));
  SetNonDefaultOptions(doc, CRect{INT32_MIN, -20, 1024, INT32_MAX});
  const std::string bytes = doc.SaveDatabaseBytes();

  std::string json;
  EXPECT_EQ(ThroughJson(bytes, &json), bytes);

  // What a reader of the output sees: the library reads it back to the same
  // text, so the escaping is right, and texts stay readable UTF-8.
  const Json parsed = Json::parse(json);
  EXPECT_EQ(parsed.dump(), json);
  EXPECT_NE(json.find("日本語のうた 🎵.mp3"), std::string::npos);
  EXPECT_EQ(parsed["files"][2]["path"], "C:\\Users\\jörg\\Músic\\日本語のうた 🎵.mp3");
  EXPECT_EQ(parsed["files"][2]["lastUsed"], 4294967295LL);
  EXPECT_EQ(parsed["files"][3]["path"], "C:\\odd \"quoted\" \\ name\t.lnk");
  EXPECT_EQ(parsed["files"][3]["useCount"], INT32_MIN);
  EXPECT_EQ(parsed["folders"][1]["name"], "Музыка");
  EXPECT_EQ(parsed["placement"]["rect"], Json::parse("[-2147483648,-20,1024,2147483647]"));
}

TEST(DatabaseJson, AbsentKeysTakeNewDocumentDefaults) {
  MemoryEnv env;
  CVelnorDoc fresh(env);
  EXPECT_EQ(BytesFromJson("{}"), fresh.SaveDatabaseBytes());
  EXPECT_EQ(BytesFromJson("\xEF\xBB\xBF{}"), fresh.SaveDatabaseBytes());  // a byte order mark is fine
  // A folder given only by its path is one added by hand.
  CVelnorDoc expected(env);
  AddRecord(expected, "C:\\a.txt");
  AddFolder(expected, "C:\\Mine");
  expected.m_bAutorun = false;
  expected.m_placement.m_nTitleWidth = 7;
  EXPECT_EQ(BytesFromJson(R"({"files":[{"path":"C:\\a.txt"}],"folders":[{"path":"C:\\Mine"}],)"
                          R"("autorun":false,"placement":{"titleWidth":7}})"),
            expected.SaveDatabaseBytes());
}

// Refused with the place of the fault and on one line; a value that does not
// fit its stored width is refused, never wrapped.
TEST(DatabaseJson, RefusalsNameTheirPlace) {
  MemoryEnv env;
  struct Case {
    const char* json;
    const char* error;  // how the message begins
  };
  const Case cases[] = {
      {"", "not valid JSON: at line 1, column 1"},
      {"{\"files\":[}", "not valid JSON: at line 1, column 11"},
      {"{} {}", "not valid JSON:"},
      {"{\"files\":[{\"path\":\"caf\xE9\"}]}", "not valid JSON:"},  // bytes that are not UTF-8
      {R"({"files":[{"path":"a","useCount":1e999}]})", "not valid JSON: number overflow parsing '1e999'"},
      {"[]", "the top level: expected a JSON object, got an array"},
      {R"({"files":{}})", "files: expected an array, got an object"},
      {R"({"files":["C:\\a"]})", "files[0]: expected an object, got \"C:\\\\a\""},
      {R"({"files":[{"path":5}]})", "files[0].path: expected a string, got 5"},
      {R"({"files":[{"useCount":5}]})", "files[0]: \"path\" is missing"},
      {R"({"files":[{"path":"a"},{"path":"a"}]})", "files[1].path: repeats an earlier file's path"},
      {R"({"files":[{"path":"a","usecount":1}]})", "files[0]: unknown key \"usecount\""},
      {R"({"files":[{"path":"a","useCount":2147483648}]})", "files[0].useCount: expected a whole number"},
      {R"({"files":[{"path":"a","useCount":1.5}]})", "files[0].useCount: expected a whole number"},
      {R"({"files":[{"path":"a","useCount":1e3}]})", "files[0].useCount: expected a whole number"},
      {R"({"files":[{"path":"a"},{"path":"b","lastUsed":-1}]})",
       "files[1].lastUsed: expected a whole number from 0 to 4294967295"},
      {R"({"files":[{"path":"a","lastUsed":4294967296}]})", "files[0].lastUsed: expected a whole number"},
      {R"({"folders":[{"name":"x"}]})", "folders[0]: \"path\" is missing"},
      {R"({"folders":[{"path":"x","enabled":1}]})", "folders[0].enabled: expected true or false, got 1"},
      {R"({"folders":[{"path":"a","iconId":2147483648}]})", "folders[0].iconId: expected a whole number"},
      {R"({"autorun":"yes"})", "autorun: expected true or false, got \"yes\""},
      {R"({"placement":{"rect":[1,2,3]}})", "placement.rect: expected an array of four numbers"},
      {R"({"placement":{"rect":[0,-2147483649,0,0]}})", "placement.rect[1]: expected a whole number"},
      {R"({"placement":{"valid":true,"x":1}})", "placement: unknown key \"x\""},
      {R"({"mp3support":true})", "the top level: unknown key \"mp3support\""},
      // The parser alone would keep the last of a repeated key.
      {R"({"files":[{"path":"a"}],"autorun":true,"files":[]})", "the top level: repeats the key \"files\""},
      {R"({"files":[{"path":"a","useCount":9,"useCount":0}]})", "files[0]: repeats the key \"useCount\""},
      {R"({"folders":[{"path":"C:\\x"},{"path":"C:\\y","name":"a","name":"b"}]})",
       "folders[1]: repeats the key \"name\""},
      {R"({"placement":{"rect":[[1],{"a":[]},{"a":1,"a":2}]}})", "placement.rect[2]: repeats the key \"a\""},
      // Paths Windows would read otherwise, or a refresh would walk wrongly.
      {R"({"files":[{"path":""}]})", "files[0].path: is empty"},
      {R"({"files":[{"path":"C:\\a\u0000b"}]})", "files[0].path: holds a NUL character"},
      {R"({"folders":[{"path":"C:\\a\u0000b"}]})", "folders[0].path: holds a NUL character"},
      {R"({"folders":[{"path":""}]})", "folders[0].path: expected the absolute path of a folder, got \"\""},
      {R"({"folders":[{"path":"Music"}]})", "folders[0].path: expected the absolute path of a folder"},
      {R"({"folders":[{"path":"C:\\Music"},{"path":"c:\\MUSIC"}]})",
       "folders[1].path: names the same folder as folders[0]"},
  };
  for (const Case& c : cases) {
    CVelnorDoc doc(env);
    std::string error;
    EXPECT_FALSE(DatabaseFromJson(c.json, doc, error)) << c.json;
    EXPECT_EQ(error.rfind(c.error, 0), 0u) << c.json << " → " << error;
    EXPECT_EQ(error.find('\n'), std::string::npos);
  }
}

// Records are handed on in batches as they are read: a repeat far from the
// path it repeats is still found, and still outranks a fault after it.
TEST(DatabaseJson, APathRepeatedThousandsOfRecordsLaterIsRefused) {
  MemoryEnv env;
  std::string json = R"({"files":[)";
  for (int i = 0; i < 9000; ++i) json += (i ? ",{\"path\":\"f" : "{\"path\":\"f") + std::to_string(i == 8500 ? 3 : i) + "\"}";
  json += R"(,{"path":"x","useCount":-1.5}]})";
  CVelnorDoc doc(env);
  std::string error;
  EXPECT_FALSE(DatabaseFromJson(json, doc, error));
  EXPECT_EQ(error, "files[8500].path: repeats an earlier file's path \"f3\"");
}

}  // namespace
