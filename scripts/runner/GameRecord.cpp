#include "scripts/runner/GameRecord.h"

#include <sstream>

const char* GameRecord::ResultText() const {
  switch (Result) {
    case GameResult::WhiteWins: return "1-0";
    case GameResult::BlackWins: return "0-1";
    case GameResult::Draw: return "1/2-1/2";
    case GameResult::Unfinished: break;
  }
  return "*";
}

namespace {
// The FEN field at `index` (0 the placement), or "".
std::string FenField(const std::string& fen, int index) {
  std::istringstream in(fen);
  std::string field;
  for (int i = 0; i <= index; i++)
    if (!(in >> field)) return "";
  return field;
}
}  // namespace

int GameRecord::FirstMoveNumber() const {
  const std::string number = FenField(StartFen, 5);
  int n = 1;
  try {
    n = number.empty() ? 1 : std::stoi(number);
  } catch (...) {
    n = 1;
  }
  return n < 1 ? 1 : n;
}

bool GameRecord::BlackMovesFirst() const { return FenField(StartFen, 1) == "b"; }

std::string GameRecord::MoveText() const {
  std::string text;
  int number = FirstMoveNumber();
  bool black = BlackMovesFirst();
  for (size_t i = 0; i < SanMoves.size(); i++) {
    if (!text.empty()) text += ' ';
    if (!black) {
      text += std::to_string(number) + ". ";
    } else if (i == 0) {
      text += std::to_string(number) + "... ";
    }
    text += SanMoves[i];
    if (black) number++;
    black = !black;
  }
  return text;
}
