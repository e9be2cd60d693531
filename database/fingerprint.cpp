#include "database/fingerprint.h"

uint64_t Fingerprint(std::string_view bytes) {
  Fingerprinter fingerprinter;
  fingerprinter.Add(bytes.data(), bytes.size());
  return fingerprinter.Finish();
}

