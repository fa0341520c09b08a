// The console and xboard reader: one word at a time from standard input.
// Result codes: 0 a move, 2 leave the reader (and abort a running search),
// 3 quit, 4 handled, 7 a move completing the fifty-move count.
#pragma once

int DoCommand(char* word);
int HumanMove();
