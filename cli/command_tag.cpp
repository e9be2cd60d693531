#include <string>

#include <nlohmann/json.hpp>

#include "cli/command.h"
#include "cli/console.h"
#include "database/id3v1.h"

namespace {

int RunTag(const CommandArgs& args, const CliContext& context) {
  const std::string& path = args.operands[0];
  const std::unique_ptr<CFile> file = context.env.OpenFile(path);
  if (!file) return context.Fail("cannot open '" + path + "'");
  Mp3TagInfo tag;
  if (!ReadId3Tag(*file, tag)) return context.Fail("no ID3v1 tag in '" + path + "'");
  const nlohmann::ordered_json json = {
      {"title", tag.m_strTitle},     {"artist", tag.m_strArtist}, {"album", tag.m_strAlbum},
      {"year", tag.m_nYear},         {"comment", tag.m_strComment}, {"track", tag.m_nTrack},
      {"genre", tag.m_nGenre},       {"genreName", tag.m_strGenre},
  };
  if (!context.console.Out(json.dump() + "\n")) return context.Fail("cannot write to standard output");
  return kExitSuccess;
}

}  // namespace

const CliCommand& TagCommand() {
  static const CliCommand command = {
      "tag",
      "FILE",
      1,
      {},
      "print the ID3v1 tag of an MP3 file as JSON",
      "Reads the ID3v1 (or ID3v1.1) tag in the last 128 bytes of FILE and prints\n"
      "  {\"title\":S,\"artist\":S,\"album\":S,\"year\":N,\"comment\":S,\"track\":N,\n"
      "   \"genre\":N,\"genreName\":S}\n"
      "as the program reads it: fields trimmed; a field that is not UTF-8 converted\n"
      "from the system's ANSI code page (Windows-1252 outside Windows); the genre\n"
      "as a signed byte with its name (\"Unknown\" outside the table).\n"
      "Fails with \"no ID3v1 tag\" when FILE has none.\n",
      &RunTag,
  };
  return command;
}
