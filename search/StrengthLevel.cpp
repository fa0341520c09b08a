#include "search/StrengthLevel.h"

#include <algorithm>

#include "board/ChessBoard.h"
#include "search/SearchRoutines.h"

StrengthLevel Level;

namespace {
// Plies at the lowest level, and the plies added on the way up to full
// strength, evenly. Two plies played far below 1400 against stockfish at
// 1400 (8.5 of 30 games); three keep 1600, 1800 and 2000 at their depths.
constexpr int LowestDepth = 3;
constexpr int DepthGained = 6;
// Against a lone king the level looks at least this deep, enough to drive
// it to the edge and mate it.
constexpr int MatingDepth = 6;
// Chance of a worse move, per thousand, at the lowest level and at full
// strength's figure.
constexpr int LowestErrorRate = 450;
constexpr int TopErrorRate = 20;
// The gain a move may leave unmade: a minor piece and half a pawn at the
// lowest level, half a pawn at the top.
constexpr int LowestMiss = MinorValue + PawnValue / 2;
constexpr int TopMiss = PawnValue / 2;
// How far below an even game a move may go: a pawn and a half at the
// lowest level, an eighth of a pawn at the top; half that once the side
// stands worse, a third once it is a pawn down or more.
constexpr int LowestDrop = 3 * PawnValue / 2;
constexpr int TopDrop = PawnValue / 8;
// A best move this much better than the next one is seen at a glance.
constexpr int ObviousGap = 2 * PawnValue;
// The share of the normal time a move takes (per thousand), drawn between
// these two; a third of it for an obvious move.
constexpr int LeastShare = 250;
constexpr int MostShare = 750;
}  // namespace

StrengthLevel::StrengthLevel() { SetSeed(0); }

int StrengthLevel::SetElo(long asked) {
  Elo = (int)std::clamp<long>(asked, LowestElo, FullStrengthElo);
  return Elo;
}

void StrengthLevel::SetSeed(u64 seed) {
  SeedUsed = seed;
  if (seed == 0) {
    std::random_device system;
    seed = ((u64)system() << 32) ^ system();
  }
  Random.seed(seed);
}

int StrengthLevel::Progress() const {
  const int elo = std::clamp(Elo, LowestElo, FullStrengthElo);
  return (elo - LowestElo) * 1000 / (FullStrengthElo - LowestElo);
}

int StrengthLevel::DepthLimit(const ChessBoard& position) const {
  const int depth = LowestDepth + DepthGained * Progress() / 1000;
  const char enemy = position.SideToMove ^ 1;
  const u64 enemyMen = enemy ? position.BlackPieces : position.WhitePieces;
  if (enemyMen == position.SideKing(enemy)) return std::max(depth, MatingDepth);
  return depth;
}

int StrengthLevel::ErrorPerMille() const {
  return LowestErrorRate - (LowestErrorRate - TopErrorRate) * Progress() / 1000;
}

int StrengthLevel::MostMissed() const { return LowestMiss - (LowestMiss - TopMiss) * Progress() / 1000; }

int StrengthLevel::MostDropped(int bestScore) const {
  const int drop = LowestDrop - (LowestDrop - TopDrop) * Progress() / 1000;
  if (bestScore <= -PawnValue) return drop / 3;
  if (bestScore < 0) return drop / 2;
  return drop;
}

bool StrengthLevel::Allowed(int bestScore, int score) const {
  if (score < -MateBound) return false;
  return bestScore - score <= MostMissed() && std::min(bestScore, 0) - score <= MostDropped(bestScore);
}

int StrengthLevel::ChooseLine(const RootLine* lines, int count, bool loneKing) {
  if (count <= 1 || loneKing || lines[0].Score > MateBound) return 0;
  if ((int)(Random() % 1000) >= ErrorPerMille()) return 0;
  // The worse lines within the bounds, the smaller errors the likelier;
  // more lines shown (MultiPV) are not more to choose from.
  u64 weights[LevelLines] = {};
  u64 total = 0;
  const int considered = std::min(count, LevelLines);
  for (int k = 1; k < considered; k++) {
    if (!Allowed(lines[0].Score, lines[k].Score)) continue;
    const int loss = std::max(lines[0].Score - lines[k].Score, 0);
    weights[k] = 1000ULL * PawnValue / (u64)(PawnValue + loss);
    total += weights[k];
  }
  if (total == 0) return 0;
  u64 pick = Random() % total;
  for (int k = 1; k < considered; k++) {
    if (pick < weights[k]) return k;
    pick -= weights[k];
  }
  return 0;
}

i32 StrengthLevel::ThinkTime(i32 timePerMove, int legalMoves, const RootLine* lines, int count) {
  if (legalMoves <= 1 || timePerMove <= 0) return 0;
  i64 share = LeastShare + (i64)(Random() % (MostShare - LeastShare + 1));
  if (count >= 2 && lines[0].Score - lines[1].Score >= ObviousGap) share /= 3;
  return (i32)((i64)timePerMove * share / 1000);
}
