#include "engine/LogFile.h"

FILE* dlog = nullptr;

void OpenLogFile() { dlog = fopen("match.log", "w"); }

void WriteLogFile(const char*) {}

void CloseLogFile() {
  if (dlog != nullptr) fclose(dlog);
  dlog = nullptr;
}
