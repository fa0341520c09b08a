#include "movegen/SANText.h"

#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"
#include "movegen/MoveGen.h"

namespace {
bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }
bool IsPieceLetter(char c) { return c == 'K' || c == 'Q' || c == 'R' || c == 'B' || c == 'N'; }

char Upper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// The upper-case letter of the side's man on the square, 'P' for a pawn;
// 0 for a square without one of its men.
char ManLetter(const ChessBoard& b, char side, u64 square) {
  if (b.IsPawn(side, square)) return 'P';
  if (b.IsKnight(side, square)) return 'N';
  if (b.IsBishop(side, square)) return 'B';
  if (b.IsRook(side, square)) return 'R';
  if (b.IsQueen(side, square)) return 'Q';
  if (b.IsKing(side, square)) return 'K';
  return 0;
}

bool IsPromotion(const LegalMove& m) { return m.Promote != NoPromotion; }

bool IsCastling(const ChessBoard& b, const LegalMove& m) { return b.IsCastling(b.SideToMove, m.From, m.To); }

// Castling towards the h-file: the king's target (its own square or its
// rook's) lies east of it.
bool KingSide(const LegalMove& m) { return (SquareIndex(m.To) & 7) > (SquareIndex(m.From) & 7); }

// A pawn that changes file captures, en passant too.
bool IsCapture(const ChessBoard& b, const LegalMove& m) {
  if (b.AllPieces & m.To) return true;
  return b.IsPawn(b.SideToMove, m.From) && (SquareIndex(m.From) & 7) != (SquareIndex(m.To) & 7);
}

// The position after the move, with the other side to move.
ChessBoard After(const ChessBoard& b, const LegalMove& m) {
  ChessBoard next = b;
  next.PlayMove(m.From, m.To, m.Promote);
  next.SideToMove ^= 1;
  return next;
}

// Castling: "O-O" or "O-O-O" (zeros too), already stripped of marks; the
// wing in *kingSide.
bool CastlingText(const char* text, bool* kingSide) {
  if (!strcmp(text, "O-O") || !strcmp(text, "0-0")) {
    *kingSide = true;
    return true;
  }
  if (!strcmp(text, "O-O-O") || !strcmp(text, "0-0-0")) {
    *kingSide = false;
    return true;
  }
  return false;
}

// What a SAN text asks for: the man, the target square, the file and rank
// it comes from where given (-1 when not), the promotion piece (0 none).
struct SANPattern {
  char Man = 'P';
  int To = -1;
  int FromFile = -1, FromRank = -1;
  char Promote = 0;
};

bool ParsePattern(const char* text, SANPattern* p) {
  char s[16];
  size_t n = strlen(text);
  if (n == 0 || n >= sizeof s) return false;
  memcpy(s, text, n + 1);

  size_t i = 0;
  if (IsPieceLetter(s[0])) p->Man = s[i++];
  // A promotion piece at the end, with or without "=".
  if (p->Man == 'P' && n >= 3 && IsPieceLetter(Upper(s[n - 1])) && Upper(s[n - 1]) != 'K') {
    p->Promote = Upper(s[n - 1]);
    n--;
    if (s[n - 1] == '=') n--;
    s[n] = 0;
  }
  if (n < i + 2 || !IsFile(s[n - 2]) || !IsRank(s[n - 1])) return false;
  p->To = (s[n - 2] - 'a') + 8 * (s[n - 1] - '1');

  // Between the man and the target: the square, file or rank it comes
  // from, and the capture mark (or the dash of a long form, "Ng1-f3").
  for (size_t j = i; j < n - 2; j++) {
    const char c = s[j];
    if (IsFile(c) && p->FromFile < 0 && p->FromRank < 0) p->FromFile = c - 'a';
    else if (IsRank(c) && p->FromRank < 0) p->FromRank = c - '1';
    else if ((c == 'x' || c == ':' || c == '-') && j == n - 3) continue;
    else return false;
  }
  // A pawn that names no file moves straight ahead.
  if (p->Man == 'P' && p->FromFile < 0) p->FromFile = p->To & 7;
  return true;
}

// Castling is named "O-O" or "O-O-O" only: in Chess960 the king's move
// onto its rook, or the king's step to its castling square, is no "Kg1".
bool Fits(const ChessBoard& b, const LegalMove& m, const SANPattern& p) {
  const int from = SquareIndex(m.From);
  if (IsCastling(b, m)) return false;
  if (SquareIndex(m.To) != p.To || ManLetter(b, b.SideToMove, m.From) != p.Man) return false;
  if (p.FromFile >= 0 && (from & 7) != p.FromFile) return false;
  if (p.FromRank >= 0 && (from >> 3) != p.FromRank) return false;
  // A promotion must name its piece, and only a promotion may.
  if (IsPromotion(m) != (p.Promote != 0)) return false;
  return !IsPromotion(m) || Upper(m.Promote) == p.Promote;
}
}  // namespace

std::vector<LegalMove> LegalMoves(const ChessBoard& position) {
  ChessBoard board = position;
  const char side = board.SideToMove;
  MoveGen list;
  const int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                          : list.GenerateAllMoves(side, &board, board.CastleFlags);
  std::vector<LegalMove> moves;
  for (int i = 0; i < n; i++) {
    LegalMove m;
    list.GetMove(i, n, &m.From, &m.To, &m.Promote);
    ChessBoard trial = position;
    char castleMask;
    trial.MakeMove(m.From, m.To, m.Promote, &castleMask);
    if (trial.InCheck(trial.SideKing(side), side)) continue;
    if (!IsPromotion(m)) {
      moves.push_back(m);
      continue;
    }
    // The generator promotes to a queen only.
    for (char piece : {'Q', 'R', 'B', 'N'}) {
      m.Promote = side ? (char)(piece - 'A' + 'a') : piece;
      moves.push_back(m);
    }
  }
  return moves;
}

SANReading ReadSAN(const char* text, const ChessBoard& board, LegalMove* move) {
  // Marks and annotations at the end are not part of the move.
  char s[16];
  size_t n = strlen(text);
  if (n >= sizeof s) return SANReading::NoMove;
  memcpy(s, text, n + 1);
  while (n > 0 && strchr("+#!?", s[n - 1])) s[--n] = 0;

  const std::vector<LegalMove> legal = LegalMoves(board);
  int found = 0;
  bool kingSide;
  if (CastlingText(s, &kingSide)) {
    for (const LegalMove& m : legal) {
      if (IsCastling(board, m) && KingSide(m) == kingSide) *move = m, found++;
    }
  } else {
    SANPattern pattern;
    if (!ParsePattern(s, &pattern)) return SANReading::NoMove;
    for (const LegalMove& m : legal) {
      if (Fits(board, m, pattern)) *move = m, found++;
    }
  }
  if (found == 0) return SANReading::NoMove;
  return found == 1 ? SANReading::Found : SANReading::Ambiguous;
}

void WriteSAN(const ChessBoard& board, const LegalMove& move, char* text) {
  const char side = board.SideToMove;
  const int from = SquareIndex(move.From), to = SquareIndex(move.To);
  int n = 0;
  if (IsCastling(board, move)) {
    strcpy(text, KingSide(move) ? "O-O" : "O-O-O");
    n = (int)strlen(text);
  } else {
    const char man = ManLetter(board, side, move.From);
    const bool capture = IsCapture(board, move);
    if (man == 'P') {
      if (capture) text[n++] = (char)('a' + (from & 7));
    } else {
      text[n++] = man;
      // Another man of the kind that may go to the same square: the file
      // tells them apart, else the rank, else both.
      bool rival = false, sameFile = false, sameRank = false;
      for (const LegalMove& m : LegalMoves(board)) {
        if (m.To != move.To || m.From == move.From || ManLetter(board, side, m.From) != man) continue;
        const int other = SquareIndex(m.From);
        rival = true;
        sameFile |= (other & 7) == (from & 7);
        sameRank |= (other >> 3) == (from >> 3);
      }
      if (rival && (!sameFile || sameRank)) text[n++] = (char)('a' + (from & 7));
      if (rival && sameFile) text[n++] = (char)('1' + (from >> 3));
    }
    if (capture) text[n++] = 'x';
    text[n++] = (char)('a' + (to & 7));
    text[n++] = (char)('1' + (to >> 3));
    if (IsPromotion(move)) {
      text[n++] = '=';
      text[n++] = Upper(move.Promote);
    }
  }

  const ChessBoard next = After(board, move);
  if (next.InCheck(next.SideKing(next.SideToMove), next.SideToMove))
    text[n++] = LegalMoves(next).empty() ? '#' : '+';
  text[n] = 0;
}
