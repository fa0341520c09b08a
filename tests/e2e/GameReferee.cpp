#include "e2e/GameReferee.h"

#include <algorithm>
#include <random>

#include "board/ChessBoard.h"
#include "support/EngineSetup.h"

const char* const StartFen = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq -";

namespace {
std::string Coordinate(const RefMove& m) {
  std::string text = MoveName(m);
  if (text.size() == 5) text[4] = 'q';
  return text;
}
}  // namespace

GameReferee::GameReferee(const std::string& fen) {
  const ChessBoard& b = LoadFen(fen);
  position_ = ReferenceFromBoard(b, b.SideToMove, b.CastleFlags);
  seen_[Key()] = 1;
}

const RefMove* GameReferee::Find(const std::vector<RefMove>& moves, const std::string& move) const {
  for (const RefMove& m : moves) {
    const std::string name = Coordinate(m);
    // A promotion must name its piece; other moves must not carry a letter.
    if (name.compare(0, 4, move, 0, 4) != 0 || move.size() != name.size()) continue;
    if (move.size() == 5 && std::string("qrbn").find(move[4]) == std::string::npos) continue;
    return &m;
  }
  return nullptr;
}

bool GameReferee::IsLegal(const std::string& move) const {
  std::vector<RefMove> moves = ReferenceLegalMoves(position_);
  return Find(moves, move) != nullptr;
}

bool GameReferee::Play(const std::string& move) {
  std::vector<RefMove> moves = ReferenceLegalMoves(position_);
  const RefMove* m = Find(moves, move);
  if (m == nullptr) return false;
  const bool pawn = position_.squares[m->from] == 'P' || position_.squares[m->from] == 'p';
  const bool capture = position_.squares[m->to] != '.';
  position_ = ReferenceMakeMove(position_, *m);
  quietPlies_ = pawn || capture ? 0 : quietPlies_ + 1;
  seen_[Key()]++;
  plies_++;
  return true;
}

std::vector<std::string> GameReferee::LegalMoves() const {
  std::vector<std::string> names;
  for (const RefMove& m : ReferenceLegalMoves(position_)) names.push_back(Coordinate(m));
  return names;
}

std::vector<std::string> GameReferee::QuietMoves() const {
  std::vector<std::string> names;
  for (const RefMove& m : ReferenceLegalMoves(position_)) {
    char man = position_.squares[m.from];
    if (man != 'P' && man != 'p' && position_.squares[m.to] == '.') names.push_back(Coordinate(m));
  }
  return names;
}

std::string GameReferee::Over() const {
  if (ReferenceLegalMoves(position_).empty())
    return ReferenceInCheck(position_, position_.side) ? "checkmate" : "stalemate";
  auto it = seen_.find(Key());
  if (it != seen_.end() && it->second >= 3) return "threefold repetition";
  if (quietPlies_ >= 100) return "fifty-move rule";
  return "";
}

std::string GameReferee::Key() const {
  return std::string(position_.squares, 64) + (char)('0' + position_.side) + (char)('a' + position_.rights);
}

std::vector<std::string> QuietWalk(const std::string& fen, int plies, unsigned seed) {
  GameReferee referee(fen);
  std::mt19937 random(seed);
  std::vector<std::string> walk;
  while ((int)walk.size() < plies) {
    std::vector<std::string> moves = referee.QuietMoves();
    std::shuffle(moves.begin(), moves.end(), random);
    bool played = false;
    for (const std::string& m : moves) {
      GameReferee next = referee;
      next.Play(m);
      const std::string over = next.Over();
      if (referee.Seen(next.Key()) || (!over.empty() && over != "fifty-move rule")) continue;
      referee = next;
      walk.push_back(m);
      played = true;
      break;
    }
    if (!played) break;
  }
  return walk;
}
