#include "scripts/runner/GamePosition.h"

#include <algorithm>
#include <cctype>
#include <sstream>

#include "board/BitOps.h"
#include "board/PositionText.h"

bool GamePosition::Set(const std::string& text, std::string* problem) {
  ChessBoard board{};
  const char* wrong = ReadPositionText(text.c_str(), &board);
  if (wrong == nullptr) wrong = PositionProblem(board);
  if (wrong != nullptr) {
    *problem = wrong;
    return false;
  }
  // A FEN's counters, or an EPD line's "hmvc" and "fmvn" operations.
  MoveCounters counters = ReadMoveCounters(text.c_str());
  std::istringstream words(text);
  std::string word;
  while (words >> word) {
    if (word != "hmvc" && word != "fmvn") continue;
    int value;
    if (!(words >> value)) break;
    if (word == "hmvc" && value >= 0) counters.HalfMoves = std::min(value, (int)MoveCounters::HalfMoveLimit);
    if (word == "fmvn" && value >= 1) counters.FullMove = std::min(value, (int)MoveCounters::FullMoveLimit);
  }
  board.FiftyMoveCount = counters.HalfMoves;
  board_ = board;
  fullMove_ = counters.FullMove;
  seen_.clear();
  seen_[RepetitionKey()] = 1;
  return true;
}

std::string GamePosition::Fen() const { return FenText(board_, fullMove_); }

bool GamePosition::FindMove(const std::string& word, LegalMove* move) const {
  if (word.size() < 4 || word.size() > 5) return false;
  const auto square = [](char file, char rank) -> int {
    if (file < 'a' || file > 'h' || rank < '1' || rank > '8') return -1;
    return (file - 'a') + 8 * (rank - '1');
  };
  const int from = square(word[0], word[1]), to = square(word[2], word[3]);
  if (from < 0 || to < 0) return false;
  const char promotion = word.size() == 5 ? (char)tolower((unsigned char)word[4]) : 0;
  for (const LegalMove& m : LegalMoves(board_)) {
    if (m.From != SquareMask(from) || m.To != SquareMask(to)) continue;
    const bool promotes = m.Promote != NoPromotion;
    if (!promotes && promotion == 0) {
      *move = m;
      return true;
    }
    if (promotes && promotion == tolower((unsigned char)m.Promote)) {
      *move = m;
      return true;
    }
  }
  return false;
}

std::string GamePosition::San(const LegalMove& move) const {
  char text[16] = {0};
  WriteSAN(board_, move, text);
  return text;
}

void GamePosition::Play(const LegalMove& move) {
  board_.PlayMove(move.From, move.To, move.Promote);
  board_.SideToMove ^= 1;
  if (board_.SideToMove == 0) fullMove_++;
  seen_[RepetitionKey()]++;
}

Ending GamePosition::GameEnd() const {
  if (LegalMoves(board_).empty()) {
    const char side = board_.SideToMove;
    return board_.InCheck(board_.SideKing(side), side) ? Ending::Checkmate : Ending::Stalemate;
  }
  if (board_.IsDeadPosition()) return Ending::DeadPosition;
  const auto it = seen_.find(RepetitionKey());
  if (it != seen_.end() && it->second >= 3) return Ending::Repetition;
  if (board_.FiftyMoveCount >= 100) return Ending::FiftyMoves;
  return Ending::None;
}

int GamePosition::FirstIllegal(const std::vector<std::string>& words) const {
  GamePosition line = *this;
  for (size_t i = 0; i < words.size(); i++) {
    LegalMove move;
    if (!line.FindMove(words[i], &move)) return (int)i;
    line.board_.PlayMove(move.From, move.To, move.Promote);
    line.board_.SideToMove ^= 1;
  }
  return -1;
}

std::string GamePosition::RepetitionKey() const {
  std::istringstream fields(FenText(board_, 1));
  std::string placement, side, castling, passant;
  fields >> placement >> side >> castling >> passant;
  if (passant != "-") {
    const int target = (passant[0] - 'a') + 8 * (passant[1] - '1');
    bool capture = false;
    for (const LegalMove& m : LegalMoves(board_))
      if (m.To == SquareMask(target) && board_.IsPawn(board_.SideToMove, m.From)) capture = true;
    if (!capture) passant = "-";
  }
  return placement + ' ' + side + ' ' + castling + ' ' + passant;
}
