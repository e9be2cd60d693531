// Feeds arbitrary bytes to the database reader. Whatever it keeps of them,
// whole or cut short by damage, must be a database in its own right: saving
// it and loading the result back reads to the end and saves the same bytes
// again, and its JSON form (velnor-cli dump, then load) rebuilds it exactly
// unless load refuses it as doubtful.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "cli/database_json.h"
#include "database/velnor_doc.h"

namespace {

[[noreturn]] void Broken(const char* what, const std::string& detail = "") {
  std::fprintf(stderr, "database fuzz: %s %s\n", what, detail.c_str());
  std::abort();
}

// What load refuses as doubtful although the binary file can hold it: a NUL
// in a path, an empty file path, a folder that is not absolute or listed
// twice. Any other refusal of a dumped database is a fault.
bool RefusedAsDoubtful(const std::string& error) {
  for (const char* reason : {"holds a NUL character", "path: is empty", "expected the absolute path of a folder",
                             "names the same folder as"}) {
    if (error.find(reason) != std::string::npos) return true;
  }
  return false;
}

std::string Where(const DatabaseLoadReport& report) {
  return "(" + report.failReason + " at byte " + std::to_string(report.failOffset) + ")";
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);

  // Loading only: the document never touches the disk here.
  CVelnorDoc doc(Env::Default());
  const DatabaseLoadReport first = doc.LoadDatabaseBytes(input);
  if (!first.opened) Broken("bytes in memory were not taken as opened");
  if (first.damaged && first.failOffset > size) Broken("damage reported past the end", Where(first));
  const std::string saved = doc.SaveDatabaseBytes();

  CVelnorDoc reloaded(Env::Default());
  const DatabaseLoadReport second = reloaded.LoadDatabaseBytes(saved);
  if (second.damaged) Broken("a saved database does not load back whole", Where(second));
  if (reloaded.SaveDatabaseBytes() != saved) Broken("save, load, save changed the bytes");

  CVelnorDoc fromJson(Env::Default());
  std::string error;
  if (!DatabaseFromJson(DatabaseToJson(doc), fromJson, error)) {
    if (RefusedAsDoubtful(error)) return 0;
    Broken("the JSON of a database was refused:", error);
  }
  if (fromJson.SaveDatabaseBytes() != saved) Broken("dump then load changed the database");
  return 0;
}
