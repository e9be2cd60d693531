// The six well-known shell folders that fill an empty folder list.
#pragma once

#include <string>

class CVelnorDoc;

// Shell special folders by CSIDL value.
class ShellFolders {
 public:
  virtual ~ShellFolders() = default;
  // False when the shell cannot name the folder; never creates it.
  virtual bool GetSpecialFolderPath(int csidl, std::string& path) = 0;

  static ShellFolders& Real();
};

// Adds the default set when the folder list is empty; otherwise nothing.
void AddDefaultFolders(CVelnorDoc& doc, ShellFolders& shell);
