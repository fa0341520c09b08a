// The reference generator works on files and ranks with bounds checks, never
// on shifted masks, so that it shares no edge-of-board arithmetic with the
// engine it checks.
#include "support/ReferenceMoves.h"

#include <cctype>
#include <sstream>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "movegen/MoveGen.h"

namespace {
constexpr char Empty = '.';

struct Offset {
  int df, dr;
};
constexpr Offset KnightSteps[8] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};
constexpr Offset KingSteps[8] = {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}};
constexpr Offset RookLines[4] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr Offset BishopLines[4] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

int File(int sq) { return sq % 8; }
int Rank(int sq) { return sq / 8; }
bool OnBoard(int file, int rank) { return file >= 0 && file < 8 && rank >= 0 && rank < 8; }
int At(int file, int rank) { return rank * 8 + file; }

int ColourOf(char man) { return std::isupper((unsigned char)man) ? 0 : 1; }
bool IsOwn(char man, int side) { return man != Empty && ColourOf(man) == side; }
bool IsEnemy(char man, int side) { return man != Empty && ColourOf(man) != side; }
// The letter of a kind for a side: Kind('n', 0) is 'N'.
char Kind(char lower, int side) { return side == 0 ? (char)std::toupper((unsigned char)lower) : lower; }

std::string SquareName(int sq) { return std::string{(char)('a' + File(sq)), (char)('1' + Rank(sq))}; }

int KingSquare(const RefPosition& p, int side) {
  for (int sq = 0; sq < 64; sq++)
    if (p.squares[sq] == Kind('k', side)) return sq;
  return -1;
}

void AddSteps(const RefPosition& p, int from, const Offset* steps, int count, std::vector<RefMove>& out) {
  for (int i = 0; i < count; i++) {
    int f = File(from) + steps[i].df, r = Rank(from) + steps[i].dr;
    if (OnBoard(f, r) && !IsOwn(p.squares[At(f, r)], p.side)) out.push_back({from, At(f, r), 0});
  }
}

void AddRays(const RefPosition& p, int from, const Offset* lines, std::vector<RefMove>& out) {
  for (int i = 0; i < 4; i++) {
    for (int f = File(from) + lines[i].df, r = Rank(from) + lines[i].dr; OnBoard(f, r);
         f += lines[i].df, r += lines[i].dr) {
      char man = p.squares[At(f, r)];
      if (IsOwn(man, p.side)) break;
      out.push_back({from, At(f, r), 0});
      if (man != Empty) break;
    }
  }
}

void AddPawnMoves(const RefPosition& p, int from, std::vector<RefMove>& out) {
  const int side = p.side;
  const int forward = side == 0 ? 1 : -1;
  const int startRank = side == 0 ? 1 : 6;
  const int lastRank = side == 0 ? 7 : 0;
  const int f = File(from), r = Rank(from);
  auto add = [&](int to) { out.push_back({from, to, Rank(to) == lastRank ? Kind('q', side) : (char)0}); };

  if (OnBoard(f, r + forward) && p.squares[At(f, r + forward)] == Empty) {
    add(At(f, r + forward));
    if (r == startRank && p.squares[At(f, r + 2 * forward)] == Empty) add(At(f, r + 2 * forward));
  }
  for (int df : {-1, 1}) {
    if (!OnBoard(f + df, r + forward)) continue;
    int to = At(f + df, r + forward);
    if (IsEnemy(p.squares[to], side)) add(to);
  }
  // En passant: the last move was the enemy pawn's double step to the square
  // beside this pawn.
  if (p.lastTo < 0 || p.squares[p.lastTo] != Kind('p', side ^ 1)) return;
  if (p.lastFrom != p.lastTo + 16 * forward) return;
  if (Rank(p.lastTo) != r || (File(p.lastTo) - f != 1 && f - File(p.lastTo) != 1)) return;
  out.push_back({from, p.lastTo + 8 * forward, 0});
}

void AddCastling(const RefPosition& p, std::vector<RefMove>& out) {
  const int side = p.side;
  const int home = side == 0 ? 0 : 56;  // a1 or a8
  const int enemy = side ^ 1;
  const int kingBit = side == 0 ? 1 : 4;
  const int queenBit = side == 0 ? 2 : 8;
  if (p.squares[home + 4] != Kind('k', side)) return;
  auto empty = [&](std::initializer_list<int> files) {
    for (int file : files)
      if (p.squares[home + file] != Empty) return false;
    return true;
  };
  auto safe = [&](std::initializer_list<int> files) {
    for (int file : files)
      if (ReferenceAttacked(p, home + file, enemy)) return false;
    return true;
  };
  if ((p.rights & kingBit) && empty({5, 6}) && p.squares[home + 7] == Kind('r', side) && safe({4, 5, 6}))
    out.push_back({home + 4, home + 6, 0});
  if ((p.rights & queenBit) && empty({1, 2, 3}) && p.squares[home] == Kind('r', side) && safe({4, 3, 2}))
    out.push_back({home + 4, home + 2, 0});
}

char EngineLetter(const ChessBoard& b, u64 sq) {
  const u64 boards[12] = {b.WhitePawns, b.WhiteKnights, b.WhiteBishops, b.WhiteRooks, b.WhiteQueens, b.WhiteKing,
                          b.BlackPawns, b.BlackKnights, b.BlackBishops, b.BlackRooks, b.BlackQueens, b.BlackKing};
  const char letters[] = "PNBRQKpnbrqk";
  char found = Empty;
  for (int i = 0; i < 12; i++) {
    if (!(boards[i] & sq)) continue;
    if (found != Empty) return '?';
    found = letters[i];
  }
  return found;
}

int IndexOf(u64 mask) { return mask ? RightMostBit(mask) - 1 : -1; }
}  // namespace

RefPosition ReferenceFromBoard(const ChessBoard& board, char side, char rights) {
  RefPosition p;
  for (int sq = 0; sq < 64; sq++) p.squares[sq] = EngineLetter(board, SquareMask(sq));
  p.side = side;
  p.rights = rights & 15;
  p.lastFrom = IndexOf(board.LastFrom);
  p.lastTo = IndexOf(board.LastTo);
  return p;
}

bool ReferenceAttacked(const RefPosition& p, int sq, int bySide) {
  const int f = File(sq), r = Rank(sq);
  // A pawn attacks forward diagonally, so it stands one rank behind.
  const int pawnRank = bySide == 0 ? r - 1 : r + 1;
  for (int df : {-1, 1})
    if (OnBoard(f + df, pawnRank) && p.squares[At(f + df, pawnRank)] == Kind('p', bySide)) return true;
  for (const Offset& s : KnightSteps)
    if (OnBoard(f + s.df, r + s.dr) && p.squares[At(f + s.df, r + s.dr)] == Kind('n', bySide)) return true;
  for (const Offset& s : KingSteps)
    if (OnBoard(f + s.df, r + s.dr) && p.squares[At(f + s.df, r + s.dr)] == Kind('k', bySide)) return true;
  auto slides = [&](const Offset* lines, char kind) {
    for (int i = 0; i < 4; i++) {
      for (int ff = f + lines[i].df, rr = r + lines[i].dr; OnBoard(ff, rr); ff += lines[i].df, rr += lines[i].dr) {
        char man = p.squares[At(ff, rr)];
        if (man == Empty) continue;
        if (man == Kind(kind, bySide) || man == Kind('q', bySide)) return true;
        break;
      }
    }
    return false;
  };
  return slides(RookLines, 'r') || slides(BishopLines, 'b');
}

bool ReferenceInCheck(const RefPosition& p, int side) {
  int king = KingSquare(p, side);
  return king >= 0 && ReferenceAttacked(p, king, side ^ 1);
}

std::vector<RefMove> ReferenceLegalMoves(const RefPosition& p) {
  std::vector<RefMove> pseudo;
  for (int sq = 0; sq < 64; sq++) {
    char man = p.squares[sq];
    if (!IsOwn(man, p.side)) continue;
    switch (std::tolower((unsigned char)man)) {
      case 'p': AddPawnMoves(p, sq, pseudo); break;
      case 'n': AddSteps(p, sq, KnightSteps, 8, pseudo); break;
      case 'b': AddRays(p, sq, BishopLines, pseudo); break;
      case 'r': AddRays(p, sq, RookLines, pseudo); break;
      case 'q': AddRays(p, sq, BishopLines, pseudo); AddRays(p, sq, RookLines, pseudo); break;
      case 'k': AddSteps(p, sq, KingSteps, 8, pseudo); break;
      default: break;
    }
  }
  AddCastling(p, pseudo);

  std::vector<RefMove> legal;
  for (const RefMove& m : pseudo) {
    RefPosition next = ReferenceMakeMove(p, m);
    if (!ReferenceInCheck(next, p.side)) legal.push_back(m);
  }
  return legal;
}

RefPosition ReferenceMakeMove(const RefPosition& p, const RefMove& m) {
  RefPosition next = p;
  const char man = p.squares[m.from];
  const int side = p.side;
  const bool pawn = man == Kind('p', side);
  const bool king = man == Kind('k', side);

  // A pawn moving diagonally onto an empty square captures en passant.
  if (pawn && File(m.from) != File(m.to) && p.squares[m.to] == Empty)
    next.squares[At(File(m.to), Rank(m.from))] = Empty;
  next.squares[m.to] = m.promote ? Kind('q', side) : man;
  next.squares[m.from] = Empty;
  if (king && m.to - m.from == 2) {
    next.squares[m.from + 1] = next.squares[m.from + 3];
    next.squares[m.from + 3] = Empty;
  }
  if (king && m.from - m.to == 2) {
    next.squares[m.from - 1] = next.squares[m.from - 4];
    next.squares[m.from - 4] = Empty;
  }

  // Rights follow the man that moves only; a rook captured at home leaves
  // its side's right in place.
  const int home = side == 0 ? 0 : 56;
  if (king) next.rights &= side == 0 ? ~3 : ~12;
  if (man == Kind('r', side) && m.from == home + 7) next.rights &= side == 0 ? ~1 : ~4;
  if (man == Kind('r', side) && m.from == home) next.rights &= side == 0 ? ~2 : ~8;

  next.side = side ^ 1;
  next.lastFrom = m.from;
  next.lastTo = m.to;
  return next;
}

std::string MoveName(u64 from, u64 to, char promote) {
  std::string text = SquareName(IndexOf(from)) + SquareName(IndexOf(to));
  if (promote != NoPromotion) text += promote;
  return text;
}

std::string MoveName(const RefMove& m) {
  std::string text = SquareName(m.from) + SquareName(m.to);
  if (m.promote) text += m.promote;
  return text;
}

std::vector<std::string> MoveNames(const MoveGen& list, int count) {
  std::vector<std::string> names;
  for (int i = 0; i < count; i++) names.push_back(MoveName(list.from[i], list.to[i], list.promote[i]));
  return names;
}

std::vector<std::string> EngineLegalMoves(ChessBoard& board, char side, char rights) {
  MoveGen list;
  int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                    : list.GenerateAllMoves(side, &board, rights);
  std::vector<std::string> legal;
  for (int i = 0; i < n; i++) {
    u64 from, to;
    char promote, mask;
    list.GetMove(i, n, &from, &to, &promote);
    board.MakeMove(from, to, promote, &mask);
    if (!board.InCheck(board.SideKing(side), side)) legal.push_back(MoveName(from, to, promote));
    board.UndoMove(i);
  }
  return legal;
}

std::string Mailbox(const ChessBoard& board) {
  std::string squares(64, Empty);
  for (int sq = 0; sq < 64; sq++) squares[sq] = EngineLetter(board, SquareMask(sq));
  return squares;
}

std::string UndoDifference(const ChessBoard& a, const ChessBoard& b) {
  std::ostringstream out;
#define SAME(field) \
  if (a.field != b.field) out << #field " ";
  SAME(WhitePieces) SAME(BlackPieces) SAME(AllPieces)
  SAME(WhitePawns) SAME(WhiteBishops) SAME(WhiteKnights) SAME(WhiteRooks) SAME(WhiteQueens) SAME(WhiteKing)
  SAME(BlackPawns) SAME(BlackBishops) SAME(BlackKnights) SAME(BlackRooks) SAME(BlackQueens) SAME(BlackKing)
  SAME(PawnHashCode) SAME(CastleFlags) SAME(FiftyMoveCount) SAME(LastFrom) SAME(LastTo)
  SAME(WhitePieceCount) SAME(BlackPieceCount) SAME(SideToMove) SAME(MaxDepth)
#undef SAME
  for (int i = 0; i < 5; i++) {
    if (a.WhiteCounts[i] != b.WhiteCounts[i]) out << "WhiteCounts[" << i << "] ";
    if (a.BlackCounts[i] != b.BlackCounts[i]) out << "BlackCounts[" << i << "] ";
  }
  return out.str();
}

std::string DerivedFieldsDifference(const ChessBoard& b) {
  std::ostringstream out;
  u64 white = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
  u64 black = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
  if (b.WhitePieces != white) out << "WhitePieces ";
  if (b.BlackPieces != black) out << "BlackPieces ";
  if (b.AllPieces != (white | black)) out << "AllPieces ";
  ChessBoard counted = b;
  counted.InitPieceCounts();
  int whiteTotal = 0, blackTotal = 0;
  for (int i = 0; i < 5; i++) {
    if (b.WhiteCounts[i] != counted.WhiteCounts[i]) out << "WhiteCounts[" << i << "] ";
    if (b.BlackCounts[i] != counted.BlackCounts[i]) out << "BlackCounts[" << i << "] ";
    whiteTotal += counted.WhiteCounts[i];
    blackTotal += counted.BlackCounts[i];
  }
  if (b.WhitePieceCount != whiteTotal) out << "WhitePieceCount ";
  if (b.BlackPieceCount != blackTotal) out << "BlackPieceCount ";
  return out.str();
}

u32 PawnAndKingCode(const ChessBoard& b) {
  unsigned long pawns;
  genpawnhashcode(0, &b, &pawns);
  u32 code = (u32)pawns;
  code ^= PawnCodeEntry(WKingKind, RightMostBit(b.WhiteKing) - 1);
  code ^= PawnCodeEntry(BKingKind, RightMostBit(b.BlackKing) - 1);
  return code;
}
