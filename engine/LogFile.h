// The engine-wide trace hook. Trace and timing lines are handed here and
// discarded; the file is opened only if OpenLogFile is called, which the
// engine never does.
#pragma once
#include <cstdio>

extern FILE* dlog;

void OpenLogFile();
void WriteLogFile(const char* text);
void CloseLogFile();
