#include "cli/database_json.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <iterator>
#include <limits>
#include <memory>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "database/folder_scan.h"
#include "database/stored_settings.h"
#include "database/velnor_doc.h"
#include "framework/path_prefix.h"

namespace {

// Keeps the keys in the order written, so the output reads like the file.
using Json = nlohmann::ordered_json;

constexpr int64_t kInt32Min = std::numeric_limits<int32_t>::min();
constexpr int64_t kInt32Max = std::numeric_limits<int32_t>::max();
constexpr int64_t kUInt32Max = std::numeric_limits<uint32_t>::max();
// A folder written without these is taken as one the user added by hand.
constexpr bool kAddedFolderEnabled = true;
constexpr int32_t kAddedFolderIcon = kIconStartMenu;

void AppendString(std::string& out, std::string_view text) {
  // The library's own escaping; invalid UTF-8 cannot reach here (loading
  // converts old ANSI texts), but would become U+FFFD rather than abort.
  out += Json(text).dump(-1, ' ', false, Json::error_handler_t::replace);
}

void AppendBool(std::string& out, bool value) { out += value ? "true" : "false"; }

void AppendNumber(std::string& out, int64_t value) { out += std::to_string(value); }

void AppendKey(std::string& out, const char* key) {
  out += '"';
  out += key;
  out += "\":";
}

void AppendFile(std::string& out, const CFileInfo& file) {
  out += '{';
  AppendKey(out, "path");
  AppendString(out, file.Path());
  out += ',';
  AppendKey(out, "useCount");
  AppendNumber(out, file.UseCount());
  out += ',';
  AppendKey(out, "lastUsed");
  AppendNumber(out, file.LastUsed());
  out += '}';
}

void AppendFolder(std::string& out, const CFolder& folder) {
  out += '{';
  AppendKey(out, "name");
  AppendString(out, folder.m_strName);
  out += ',';
  AppendKey(out, "path");
  AppendString(out, folder.m_strPath);
  out += ',';
  AppendKey(out, "enabled");
  AppendBool(out, folder.m_bEnabled);
  out += ',';
  AppendKey(out, "iconId");
  AppendNumber(out, folder.m_nIconId);
  out += '}';
}

// A stored setting's value, by its type.
void AppendValue(std::string& out, bool value) { AppendBool(out, value); }
void AppendValue(std::string& out, const std::atomic<bool>& value) { AppendBool(out, value); }
void AppendValue(std::string& out, int32_t value) { AppendNumber(out, value); }
void AppendValue(std::string& out, const CRect& rect) {
  out += '[';
  AppendNumber(out, rect.left);
  out += ',';
  AppendNumber(out, rect.top);
  out += ',';
  AppendNumber(out, rect.right);
  out += ',';
  AppendNumber(out, rect.bottom);
  out += ']';
}
void AppendValue(std::string& out, const CWindowPlacement& placement);

// "key":value for every field, in the table's order, separated by commas.
template <class Owner, size_t N>
void AppendFields(std::string& out, const Owner& owner, const SettingField<Owner> (&fields)[N]) {
  for (size_t i = 0; i < N; ++i) {
    if (i > 0) out += ',';
    AppendKey(out, fields[i].key);
    std::visit([&](auto member) { AppendValue(out, owner.*member); }, fields[i].member);
  }
}

void AppendValue(std::string& out, const CWindowPlacement& placement) {
  out += '{';
  AppendFields(out, placement, kPlacementFields);
  out += '}';
}

// Where a fault lies, as a chain of keys and indexes from the top; rendered
// only when there is a fault: "files[2].useCount".
struct Where {
  const Where* parent = nullptr;
  std::string_view key;
  size_t index = SIZE_MAX;

  Where At(std::string_view k) const { return Where{this, k, SIZE_MAX}; }
  Where Index(size_t i) const { return Where{this, {}, i}; }

  std::string Render() const {
    const std::string s = Path();
    return s.empty() ? "the top level" : s;
  }

 private:
  std::string Path() const {
    std::string s = parent != nullptr ? parent->Path() : std::string();
    if (index != SIZE_MAX) return s + "[" + std::to_string(index) + "]";
    if (key.empty()) return s;
    return s.empty() ? std::string(key) : s + "." + std::string(key);
  }
};

// A short, printable picture of an offending value.
std::string Describe(const Json& value) {
  if (value.is_object()) return "an object";
  if (value.is_array()) return "an array";
  std::string s = value.dump(-1, ' ', false, Json::error_handler_t::replace);
  constexpr size_t kMax = 60;
  if (s.size() > kMax) {
    size_t cut = kMax;
    while (cut > 0 && (static_cast<unsigned char>(s[cut]) & 0xC0) == 0x80) --cut;
    s.resize(cut);
    s += "...";
  }
  return s;
}

// The index of the first record whose path an earlier one in `files` has,
// or SIZE_MAX: one pass in order over an open-addressing table of indexes.
size_t FirstRepeatedPath(const CFileMap::Records& files) {
  struct Entry {
    uint32_t indexPlusOne = 0;
    uint32_t hash = 0;
  };
  size_t capacity = 16;
  while (capacity < files.size() + files.size() / 2) capacity *= 2;
  std::vector<Entry> table(capacity);
  const std::hash<std::string_view> hasher;
  for (size_t i = 0; i < files.size(); ++i) {
    const std::string_view path = files[i]->Path();
    const size_t full = hasher(path);
    const auto hash = static_cast<uint32_t>(full);
    for (size_t slot = full & (capacity - 1);; slot = (slot + 1) & (capacity - 1)) {
      Entry& entry = table[slot];
      if (entry.indexPlusOne == 0) {
        entry = Entry{static_cast<uint32_t>(i + 1), hash};
        break;
      }
      if (entry.hash == hash && files[entry.indexPlusOne - 1]->Path() == path) return i;
    }
  }
  return SIZE_MAX;
}

class JsonReader {
 public:
  JsonReader(CVelnorDoc& doc, std::string& error) : m_doc(doc), m_error(error) {}

  bool Failed() const { return m_failed; }

  bool NotAnObject(const Json& root) {
    return Fail(Where{}, "expected a JSON object, got " + Describe(root));
  }

  // One key of the top-level object and its whole value.
  bool TopLevel(const std::string& key, const Json& value) {
    const Where top;
    const Where at = top.At(key);
    if (key == "files") return Array(value, at, &JsonReader::File);
    if (key == "folders") return Array(value, at, &JsonReader::Folder);
    StoredSettings& settings = m_doc;
    return Field(settings, kStoredSettings, top, key, value);
  }

  // One element of the top-level "files" or "folders" array, read as soon as
  // it ends, so that the list is never held whole as JSON.
  static bool IsList(std::string_view key) { return key == "files" || key == "folders"; }
  bool ListElement(const std::string& key, size_t index, const Json& value) {
    const Where top;
    const Where list = top.At(key);
    const Where at = list.Index(index);
    return key == "files" ? File(value, at) : Folder(value, at);
  }

 private:
  using ElementReader = bool (JsonReader::*)(const Json&, const Where&);

  bool Fail(const Where& where, const std::string& what) {
    m_failed = true;
    m_error = where.Render() + ": " + what;
    return false;
  }

  bool UnknownKey(const Where& where, const std::string& key) {
    // A misspelt key would otherwise silently become a default.
    return Fail(where, "unknown key " + Describe(Json(key)));
  }

  bool Array(const Json& value, const Where& where, ElementReader read) {
    if (!value.is_array()) return Fail(where, "expected an array, got " + Describe(value));
    for (size_t i = 0; i < value.size(); ++i) {
      if (!(this->*read)(value[i], where.Index(i))) return false;
    }
    return true;
  }

  bool ObjectExpected(const Json& value, const Where& where) {
    if (value.is_object()) return true;
    return Fail(where, "expected an object, got " + Describe(value));
  }

  bool Bool(const Json& value, const Where& where, bool& out) {
    if (!value.is_boolean()) return Fail(where, "expected true or false, got " + Describe(value));
    out = value.get<bool>();
    return true;
  }

  bool Text(const Json& value, const Where& where, std::string& out) {
    if (!value.is_string()) return Fail(where, "expected a string, got " + Describe(value));
    out = value.get<std::string>();
    return true;
  }

  // The same, without a copy: `out` points into `value`.
  bool Text(const Json& value, const Where& where, const std::string*& out) {
    if (!value.is_string()) return Fail(where, "expected a string, got " + Describe(value));
    out = &value.get_ref<const std::string&>();
    return true;
  }

  // Refuses rather than wraps: a count or time that does not fit its stored
  // width would come back as a different number.
  bool Integer(const Json& value, const Where& where, int64_t min, int64_t max, int64_t& out) {
    bool fits = false;
    int64_t n = 0;
    if (value.is_number_unsigned()) {
      const uint64_t u = value.get<uint64_t>();
      fits = u <= static_cast<uint64_t>(max);
      n = static_cast<int64_t>(u);
    } else if (value.is_number_integer()) {
      n = value.get<int64_t>();
      fits = n >= min && n <= max;
    }
    if (!fits) {
      return Fail(where, "expected a whole number from " + std::to_string(min) + " to " +
                             std::to_string(max) + ", got " + Describe(value));
    }
    out = n;
    return true;
  }

  // Win32 calls end a path at a NUL: two paths that differ only after one
  // would name the same file.
  bool WithoutNul(const std::string& path, const Where& where) {
    if (path.find('\0') == std::string::npos) return true;
    return Fail(where, "holds a NUL character (\\u0000), where Windows would end the path " + Describe(Json(path)));
  }

  // A folder is walked by every refresh: an empty or relative one would be
  // taken from wherever the program runs (the empty one as the root of the
  // whole drive), and one listed twice would be walked twice. The file is
  // the Windows program's, so a path absolute there is, even where this
  // tool runs elsewhere.
  bool FolderPath(const std::string& path, const Where& where) {
    if (!WithoutNul(path, where)) return false;
    if (!IsAbsoluteFolderPath(path, '\\') && !IsAbsoluteFolderPath(path)) {
      return Fail(where, "expected the absolute path of a folder, got " + Describe(Json(path)));
    }
    // By key, not folder by folder: a list of many folders stays linear.
    const auto [earlier, added] = m_folderKeys.emplace(FolderPathKey(path), m_folders.size());
    if (!added) {
      const size_t i = earlier->second;
      return Fail(where, "names the same folder as folders[" + std::to_string(i) + "], " +
                             Describe(Json(m_folders[i]->m_strPath)));
    }
    return true;
  }

  bool Int32(const Json& value, const Where& where, int32_t& out) {
    int64_t n;
    if (!Integer(value, where, kInt32Min, kInt32Max, n)) return false;
    out = static_cast<int32_t>(n);
    return true;
  }

  // Records go to the document in batches as they are read, so that they
  // are never held twice (here and in the document) nor the batch with the
  // text for long. Their paths are checked against the earlier ones batch by
  // batch (Flush): every record kept here comes before any fault found
  // later, so a repeat among them is still the first fault in the text.
  bool File(const Json& value, const Where& where) {
    if (!ObjectExpected(value, where)) return false;
    FileRecordValues values;
    const std::string* path = nullptr;
    for (auto it = value.begin(); it != value.end(); ++it) {
      const std::string& key = it.key();
      const Where at = where.At(key);
      bool ok;
      if (key == "path") {
        ok = Text(it.value(), at, path);
      } else if (key == "useCount") {
        ok = Int32(it.value(), at, values.useCount);
      } else if (key == "lastUsed") {
        int64_t t;
        ok = Integer(it.value(), at, 0, kUInt32Max, t);
        if (ok) values.lastUsed = t;
      } else {
        ok = UnknownKey(where, key);
      }
      if (!ok) return false;
    }
    if (path == nullptr) return Fail(where, "\"path\" is missing");
    if (path->empty()) return Fail(where.At("path"), "is empty");
    if (!WithoutNul(*path, where.At("path"))) return false;
    m_batch.push_back(std::make_unique<CFileInfo>(*path, std::move(values)));
    if (m_batch.size() == kBatch) Flush();
    return true;
  }

 public:
  // After the last record. Empty when no path was repeated; otherwise the
  // first repeat, in the words of every other fault.
  const std::string& Finish() {
    Flush();
    return m_repeat;
  }

 private:
  static constexpr size_t kBatch = 4096;

  // The file holds one record per path; keeping either would drop the
  // other's usage data without a word. Once a repeat is found the rest is
  // not kept: the load fails anyway.
  void Flush() {
    if (m_repeat.empty() && !m_batch.empty()) {
      size_t repeat = FirstRepeatedPath(m_batch);
      m_doc.VisitFiles([&](const CFileMap& earlier) {
        for (size_t i = 0; i < repeat && i < m_batch.size(); ++i) {
          if (earlier.Lookup(m_batch[i]->Path()) != nullptr) repeat = i;
        }
      });
      if (repeat < m_batch.size()) {
        const Where top;
        const Where files = top.At("files");
        const Where at = files.Index(m_flushed + repeat);
        Fail(at.At("path"), "repeats an earlier file's path " + Describe(Json(std::string(m_batch[repeat]->Path()))));
        m_repeat = m_error;
      } else {
        m_flushed += m_batch.size();
        m_doc.AddFiles(std::move(m_batch));
      }
    }
    m_batch.clear();
    m_batch.reserve(kBatch);
  }

  bool Folder(const Json& value, const Where& where) {
    if (!ObjectExpected(value, where)) return false;
    auto folder = std::make_unique<CFolder>();
    folder->m_bEnabled = kAddedFolderEnabled;
    folder->m_nIconId = kAddedFolderIcon;
    bool hasName = false;
    bool hasPath = false;
    for (auto it = value.begin(); it != value.end(); ++it) {
      const std::string& key = it.key();
      const Where at = where.At(key);
      bool ok;
      if (key == "name") {
        ok = hasName = Text(it.value(), at, folder->m_strName);
      } else if (key == "path") {
        ok = hasPath = Text(it.value(), at, folder->m_strPath);
      } else if (key == "enabled") {
        ok = Bool(it.value(), at, folder->m_bEnabled);
      } else if (key == "iconId") {
        ok = Int32(it.value(), at, folder->m_nIconId);
      } else {
        ok = UnknownKey(where, key);
      }
      if (!ok) return false;
    }
    if (!hasPath) return Fail(where, "\"path\" is missing");
    if (!FolderPath(folder->m_strPath, where.At("path"))) return false;
    if (!hasName) folder->m_strName = folder->m_strPath;
    m_folders.push_back(std::move(folder));
    return true;
  }

  // The field of `owner` that `key` names, within the object at `where`.
  template <class Owner, size_t N>
  bool Field(Owner& owner, const SettingField<Owner> (&fields)[N], const Where& where, const std::string& key,
             const Json& value) {
    for (const SettingField<Owner>& field : fields) {
      if (key != field.key) continue;
      return std::visit([&](auto member) { return Value(value, where.At(key), owner.*member); }, field.member);
    }
    return UnknownKey(where, key);
  }

  // A stored setting's value, by its type.
  bool Value(const Json& value, const Where& where, bool& out) { return Bool(value, where, out); }
  bool Value(const Json& value, const Where& where, std::atomic<bool>& out) {
    bool plain = out;
    const bool ok = Bool(value, where, plain);
    out = plain;
    return ok;
  }
  bool Value(const Json& value, const Where& where, int32_t& out) { return Int32(value, where, out); }
  bool Value(const Json& value, const Where& where, CRect& out) { return Rect(value, where, out); }
  bool Value(const Json& value, const Where& where, CWindowPlacement& out) {
    if (!ObjectExpected(value, where)) return false;
    for (auto it = value.begin(); it != value.end(); ++it) {
      if (!Field(out, kPlacementFields, where, it.key(), it.value())) return false;
    }
    return true;
  }

  bool Rect(const Json& value, const Where& where, CRect& out) {
    if (!value.is_array() || value.size() != 4) {
      return Fail(where, "expected an array of four numbers [left,top,right,bottom], got " +
                             Describe(value));
    }
    CRect r;
    int32_t* const sides[] = {&r.left, &r.top, &r.right, &r.bottom};
    for (size_t i = 0; i < 4; ++i) {
      if (!Int32(value[i], where.Index(i), *sides[i])) return false;
    }
    out = r;
    return true;
  }

  CVelnorDoc& m_doc;
  std::string& m_error;
  bool m_failed = false;
  CFileMap::Records m_batch;  // read, not yet handed to the document
  size_t m_flushed = 0;       // records handed to it
  std::string m_repeat;       // the first repeated path, once found
  std::unordered_map<std::string, size_t> m_folderKeys;  // FolderPathKey -> index

 public:
  // The folders read, handed to the document once all of it was accepted.
  CVelnorDoc::FolderList m_folders;
};

// Where the parse is, for naming a repeated key. The parser keeps only the
// last value of a key written twice in one object ({"useCount":9,
// "useCount":0} reads as 0, a second "files" empties the database), so a
// repeat is caught here, as each key is read, with where it lies in the
// same words as every other fault.
class KeyTracker {
 public:
  // A value begins: a scalar, or (then Open) an object or array.
  void Value() {
    if (m_depth > 0 && !m_levels[m_depth - 1].object) ++m_levels[m_depth - 1].elements;
  }

  void Open(bool object) {
    Value();
    if (m_depth == m_levels.size()) m_levels.emplace_back();
    Level& level = m_levels[m_depth++];
    level.object = object;
    level.elements = 0;
    level.keyCount = 0;
    level.manyKeys.clear();
  }

  void Close() { --m_depth; }

  void Key(const std::string& key) {
    Level& level = m_levels[m_depth - 1];
    if (!level.Insert(key) && m_fault.empty()) m_fault = Place() + ": repeats the key " + Describe(Json(key));
    level.key = key;
  }

  // How many objects and arrays are open.
  size_t Depth() const { return m_depth; }
  // The top-level key being read, and the index of the element begun last in
  // the array under it.
  const std::string& TopKey() const { return m_levels[0].key; }
  size_t TopListIndex() const { return m_levels[1].elements - 1; }

  // Empty while no key was repeated; otherwise the first repeat, "files[2]:
  // repeats the key \"useCount\"".
  const std::string& Fault() const { return m_fault; }

 private:
  // One open object or array. Levels are reused as the parse goes deeper
  // again, so a long list of objects costs no allocation per object.
  struct Level {
    bool object = false;
    std::string key;        // an object's key being read
    size_t elements = 0;    // an array's elements begun so far
    // An object's keys so far: the first few in place, compared one by one
    // (a record has three, and their strings keep their room from one
    // record to the next); past that, all of them in a set.
    static constexpr size_t kFew = 8;
    std::string fewKeys[kFew];
    size_t keyCount = 0;
    std::unordered_set<std::string> manyKeys;

    // False when the object has the key already.
    bool Insert(const std::string& k) {
      if (keyCount < kFew) {
        for (size_t i = 0; i < keyCount; ++i) {
          if (fewKeys[i] == k) return false;
        }
        fewKeys[keyCount++] = k;
        return true;
      }
      if (keyCount++ == kFew) manyKeys.insert(std::begin(fewKeys), std::end(fewKeys));
      return manyKeys.insert(k).second;
    }
  };

  // Where the object being read lies, as Where::Render puts it.
  std::string Place() const {
    std::string path;
    for (size_t i = 0; i + 1 < m_depth; ++i) {
      const Level& level = m_levels[i];
      if (level.object) {
        path += (path.empty() ? "" : ".") + level.key;
      } else {
        path += "[" + std::to_string(level.elements - 1) + "]";
      }
    }
    return path.empty() ? "the top level" : path;
  }

  std::vector<Level> m_levels;
  size_t m_depth = 0;
  std::string m_fault;
};

// "[json.exception.parse_error.101] parse error at line 1, column 2: ..." →
// "at line 1, column 2: ...".
std::string ParseErrorText(const char* what) {
  std::string text(what);
  const size_t bracket = text.find("] ");
  if (bracket != std::string::npos) text.erase(0, bracket + 2);
  constexpr std::string_view kPrefix = "parse error ";
  if (text.compare(0, kPrefix.size(), kPrefix) == 0) text.erase(0, kPrefix.size());
  return text;
}

// Reads the text in one pass through the parser's SAX interface. Each
// element of "files" and "folders", and each other top-level value, is built
// as a small tree, checked by JsonReader as soon as it ends, and dropped: the
// time and the memory grow with the text, and the file list is never held
// whole as JSON. (The parser's callback interface, which this replaced,
// scanned the enclosing array at the end of every object: a million records
// took minutes.) The parse goes on past a fault, so that faults rank as
// they did when the whole text was parsed first: not JSON, then a repeated
// key, then the first fault in the order of the text.
class StreamingReader final : public nlohmann::json_sax<Json> {
 public:
  explicit StreamingReader(JsonReader& reader) : m_reader(reader) {}

  bool null() override { return Scalar(Json(nullptr)); }
  bool boolean(bool value) override { return Scalar(Json(value)); }
  bool number_integer(number_integer_t value) override { return Scalar(Json(value)); }
  bool number_unsigned(number_unsigned_t value) override { return Scalar(Json(value)); }
  bool number_float(number_float_t value, const string_t&) override { return Scalar(Json(value)); }
  // Copied, not moved: the text is the parser's buffer, which keeps its
  // capacity for the next string.
  bool string(string_t& value) override { return Scalar(Json(value)); }
  bool binary(binary_t& value) override { return Scalar(Json::binary(value)); }

  bool start_object(std::size_t) override { return Open(true); }
  bool start_array(std::size_t) override { return Open(false); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }

  bool key(string_t& key) override {
    m_keys.Key(key);
    if (!m_built.empty()) m_key = key;
    return true;
  }

  bool parse_error(std::size_t, const std::string&, const Json::exception& e) override {
    m_parseError = ParseErrorText(e.what());
    return false;
  }

  // Empty when the text was JSON; otherwise where and why it is not.
  const std::string& ParseError() const { return m_parseError; }
  const std::string& RepeatedKey() const { return m_keys.Fault(); }

 private:
  bool Scalar(Json value) {
    m_keys.Value();
    if (!m_built.empty()) {
      Put(std::move(value));
    } else {
      m_piece = std::move(value);
      Deliver(m_keys.Depth());
    }
    return true;
  }

  bool Open(bool object) {
    const size_t depth = m_keys.Depth();
    m_keys.Open(object);
    if (m_built.empty()) {
      // The top-level object and the lists under it are read as they come.
      if (depth == 0 && object) return true;
      if (depth == 1 && !object && JsonReader::IsList(m_keys.TopKey())) {
        m_inList = true;
        return true;
      }
      m_pieceDepth = depth;
      m_piece = object ? Json::object() : Json::array();
      // A record's three keys in one allocation rather than three.
      if (object) m_piece.get_ref<Json::object_t&>().reserve(4);
      m_built.push_back(&m_piece);
    } else {
      m_built.push_back(Put(object ? Json::object() : Json::array()));
    }
    return true;
  }

  bool Close() {
    m_keys.Close();
    if (m_built.empty()) {
      m_inList = false;  // a list, or the top-level object, ends
      return true;
    }
    m_built.pop_back();
    if (m_built.empty()) Deliver(m_pieceDepth);
    return true;
  }

  // Adds a value to the innermost container being built. Keys go in without
  // the object's own search for an equal key, which would make a large
  // object quadratic; a repeated key is refused anyway.
  Json* Put(Json value) {
    Json& parent = *m_built.back();
    if (parent.is_array()) {
      Json::array_t& array = parent.get_ref<Json::array_t&>();
      array.push_back(std::move(value));
      return &array.back();
    }
    Json::object_t& object = parent.get_ref<Json::object_t&>();
    object.emplace_back(m_key, std::move(value));
    return &object.back().second;
  }

  // A whole piece was read at `depth`: 0 the top-level value that is not an
  // object, 1 a top-level key's value, 2 an element of a list.
  void Deliver(size_t depth) {
    if (!m_reader.Failed()) {
      if (depth == 0) {
        m_reader.NotAnObject(m_piece);
      } else if (depth == 1) {
        m_reader.TopLevel(m_keys.TopKey(), m_piece);
      } else if (m_inList) {
        m_reader.ListElement(m_keys.TopKey(), m_keys.TopListIndex(), m_piece);
      }
    }
    m_piece = Json();
  }

  JsonReader& m_reader;
  KeyTracker m_keys;
  Json m_piece;                // the piece being built
  size_t m_pieceDepth = 0;     // where it began
  std::vector<Json*> m_built;  // its open objects and arrays, innermost last
  std::string m_key;           // the key of the value that comes next in them
  bool m_inList = false;       // inside the top-level "files" or "folders"
  std::string m_parseError;
};

}  // namespace

std::string DatabaseToJson(CVelnorDoc& doc) {
  std::string out;
  out += '{';
  doc.VisitFiles([&out](const CFileMap& files) {
    out.reserve(64 + files.size() * 128);
    AppendKey(out, "files");
    out += '[';
    bool first = true;
    for (const auto& file : files) {
      if (!first) out += ',';
      first = false;
      AppendFile(out, *file);
    }
    out += "],";
  });
  AppendKey(out, "folders");
  out += '[';
  bool first = true;
  for (const auto& folder : doc.CopyFolders()) {
    if (!first) out += ',';
    first = false;
    AppendFolder(out, *folder);
  }
  out += "],";
  const StoredSettings& settings = doc;
  AppendFields(out, settings, kStoredSettings);
  out += '}';
  return out;
}

bool DatabaseFromJson(std::string_view text, CVelnorDoc& doc, std::string& error) {
  JsonReader reader(doc, error);
  StreamingReader streaming(reader);
  Json::sax_parse(text.begin(), text.end(), &streaming);
  if (!streaming.ParseError().empty()) {
    error = "not valid JSON: " + streaming.ParseError();
    return false;
  }
  if (!streaming.RepeatedKey().empty()) {
    error = streaming.RepeatedKey();
    return false;
  }
  const std::string& repeat = reader.Finish();
  if (!repeat.empty()) {
    error = repeat;
    return false;
  }
  if (reader.Failed()) return false;
  CVelnorDoc::FolderList folders = doc.CopyFolders();
  for (auto& folder : reader.m_folders) folders.push_back(std::move(folder));
  doc.ReplaceFolders(std::move(folders));
  return true;
}
