// The database as JSON, for velnor-cli: one object with the file records in
// file order, the folders, the options and the launcher placement. Pure
// conversions between a document and text; no file is touched here.
#pragma once

#include <string>
#include <string_view>

class CVelnorDoc;

// The document as one compact JSON object (no trailing newline). Keys come in
// a fixed order; texts are written as UTF-8, never escaped to \u sequences.
std::string DatabaseToJson(CVelnorDoc& doc);

// Fills `doc`, which must be a new document, from the JSON object in `text`.
// Absent keys keep the new document's defaults. On any fault (not JSON, a key
// repeated in one object, a wrong type, an unknown key, a number out of the
// stored range, an empty file path, a repeated file path, a NUL in a path, a
// folder path that is not absolute, a folder listed twice) returns false
// with one line in `error` naming where it is, e.g.
// "files[2].lastUsed: expected a whole number from 0 to 4294967295, got -1".
bool DatabaseFromJson(std::string_view text, CVelnorDoc& doc, std::string& error);
