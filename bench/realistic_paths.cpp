#include "bench/realistic_paths.h"

#include <array>
#include <memory>
#include <random>
#include <string_view>

#include "database/velnor_doc.h"

namespace {

using Words = std::vector<std::string_view>;

const Words kUsers = {"Administrator", "anna.kowalski", "jmueller", "Jörg", "mike", "Sophie Martin",
                      "tanaka", "Zoë"};
const Words kVendors = {"Adobe", "Microsoft Office", "Mozilla Firefox", "Notepad++", "7-Zip",
                        "VideoLAN", "Git", "Python 3.11", "Steam", "JetBrains", "Autodesk"};
const Words kApps = {"Acrobat Reader", "Word", "Excel", "PowerPoint", "Outlook", "Firefox",
                     "VLC media player", "Git Bash", "IntelliJ IDEA Community Edition", "Uninstall",
                     "Readme", "Help", "Release Notes"};
const Words kProjects = {"Website Relaunch 2023", "Kundenprojekt Müller GmbH", "Thesis",
                         "Budget", "Q3 Planning", "Hausbau", "Réunion annuelle", "Проект Альфа",
                         "Steuern 2022", "Angebote"};
const Words kSubfolders = {"Entwürfe", "final", "old", "Scans", "Contracts", "Meeting Notes",
                           "Images", "Export", "Archive 2021", "Invoices", "src", "docs"};
const Words kTopics = {"Rechnung", "Angebot", "Protokoll", "Report", "Invoice", "Präsentation",
                       "Notes", "Summary", "Lebenslauf", "Überweisung", "Vertrag", "Draft",
                       "Résumé", "Договор", "見積書"};
const Words kArtists = {"Beethoven", "Daft Punk", "Édith Piaf", "Miles Davis", "Radiohead",
                        "Die Ärzte", "Sigur Rós", "坂本龍一", "Queen", "Nina Simone"};
const Words kAlbums = {"Greatest Hits", "Live at Montreux", "Kind of Blue", "OK Computer",
                       "Symphonien 5 & 7", "Discovery", "Ágætis byrjun", "Unplugged"};
const Words kEvents = {"Urlaub Kroatien", "Weihnachten", "Hochzeit Lisa", "Birthday",
                       "Ski trip", "Geburtstag Oma", "Été à Nice", "Paris"};
const Words kDocExtensions = {".pdf", ".docx", ".xlsx", ".pptx", ".txt", ".doc", ".odt", ".csv"};
const Words kProgramFiles = {"setup", "update", "helper", "launcher", "crashreporter", "uninstall"};

class Generator {
 public:
  explicit Generator(uint32_t seed) : m_rng(seed) {}

  std::string Path(size_t index) {
    const std::string number = std::to_string(index);
    std::string p;
    switch (Pick(10)) {
      case 0:
      case 1: {  // the user's and the common Start Menu
        p = Pick(2) ? "C:\\ProgramData" : "C:\\Users\\" + Str(kUsers) + "\\AppData\\Roaming";
        p += "\\Microsoft\\Windows\\Start Menu\\Programs\\" + Str(kVendors) + "\\" + Str(kApps) +
             " " + number + ".lnk";
        break;
      }
      case 2:
      case 3:
      case 4: {  // documents in project trees
        p = "C:\\Users\\" + Str(kUsers) + "\\Documents\\Projects\\" + Str(kProjects) + "\\" +
            Str(kSubfolders) + "\\" + Str(kTopics) + " " + number + Str(kDocExtensions);
        break;
      }
      case 5:
      case 6: {  // music
        p = "C:\\Users\\" + Str(kUsers) + "\\Music\\" + Str(kArtists) + "\\" + Str(kAlbums) +
            "\\" + std::to_string(1 + Pick(20)) + " - Track " + number + ".mp3";
        break;
      }
      case 7: {  // photos
        p = "C:\\Users\\" + Str(kUsers) + "\\Pictures\\" + std::to_string(2005 + Pick(19)) + "\\" +
            Str(kEvents) + "\\IMG_" + number + ".jpg";
        break;
      }
      case 8: {  // programs
        p = "C:\\Program Files\\" + Str(kVendors) + "\\bin\\" + Str(kProgramFiles) + number + ".exe";
        break;
      }
      default: {  // desktop and recent documents
        p = "C:\\Users\\" + Str(kUsers) +
            (Pick(2) ? "\\Desktop\\" : "\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\") +
            Str(kTopics) + " " + number + Str(kDocExtensions) + (Pick(2) ? ".lnk" : "");
        break;
      }
    }
    return p;
  }

  uint32_t Pick(uint32_t n) { return std::uniform_int_distribution<uint32_t>(0, n - 1)(m_rng); }

 private:
  std::string Str(const Words& words) { return std::string(words[Pick(static_cast<uint32_t>(words.size()))]); }

  std::mt19937 m_rng;
};

}  // namespace

std::vector<std::string> MakeRealisticPaths(size_t count, uint32_t seed) {
  Generator gen(seed);
  std::vector<std::string> paths;
  paths.reserve(count);
  // Every path carries its own index, so all are distinct.
  for (size_t i = 0; i < count; ++i) paths.push_back(gen.Path(i));
  return paths;
}

void FillRealisticDatabase(CVelnorDoc& doc, size_t fileCount, uint32_t seed) {
  Generator gen(seed + 1);
  CFileMap::Records records;
  records.reserve(fileCount);
  for (std::string& path : MakeRealisticPaths(fileCount, seed)) {
    FileRecordValues values;
    if (gen.Pick(3) == 0) {
      values.useCount = static_cast<int32_t>(1 + gen.Pick(500));
      values.lastUsed = 1000000000 + gen.Pick(700000000);
    }
    records.push_back(std::make_unique<CFileInfo>(path, std::move(values)));
  }
  doc.AddFiles(std::move(records));
  const std::array<std::array<const char*, 2>, 6> defaults = {{
      {"Recent Documents", "C:\\Users\\Zoë\\AppData\\Roaming\\Microsoft\\Windows\\Recent"},
      {"Start Menu", "C:\\Users\\Zoë\\AppData\\Roaming\\Microsoft\\Windows\\Start Menu"},
      {"Common Start Menu", "C:\\ProgramData\\Microsoft\\Windows\\Start Menu"},
      {"My Documents", "C:\\Users\\Zoë\\Documents"},
      {"Desktop Directory", "C:\\Users\\Zoë\\Desktop"},
      {"Favorites", "C:\\Users\\Zoë\\Favorites"},
  }};
  const int32_t icons[] = {139, 140, 140, 141, 142, 143};
  CVelnorDoc::FolderList folders;
  for (size_t i = 0; i < defaults.size(); ++i) {
    folders.push_back(std::make_unique<CFolder>(defaults[i][0], defaults[i][1], true, icons[i]));
  }
  folders.push_back(std::make_unique<CFolder>("Musik", "C:\\Users\\Zoë\\Music", true, 140));
  folders.push_back(std::make_unique<CFolder>("D:\\Archiv", "D:\\Archiv", false, 140));
  folders.push_back(std::make_unique<CFolder>("Программы", "C:\\Program Files", true, 140));
  doc.ReplaceFolders(std::move(folders));
  doc.m_bFirstRun = false;
  doc.m_placement.m_bValid = true;
  doc.m_placement.m_rect = CRect{1400, 700, 1910, 1030};
  doc.m_placement.m_nTitleWidth = 192;
  doc.m_placement.m_nFolderWidth = 256;
}
