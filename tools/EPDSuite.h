// EPD test suites: every line of a file is a position; "-ts" searches each
// to the fixed depth (3 without "-fd") and prints the result, "-pev" and
// "-mimicstudent" evaluate each statically. EPD operations (bm, id ...) are
// not read. The caller ends the program.
#pragma once

void ParseEPDSuite(const char* file);
