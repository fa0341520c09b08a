#include "board/PositionText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"

namespace {
void AddPieceOn(ChessBoard& b, char letter, u64 square) {
  switch (letter) {
    case 'P': b.WhitePawns |= square; break;
    case 'N': b.WhiteKnights |= square; break;
    case 'B': b.WhiteBishops |= square; break;
    case 'R': b.WhiteRooks |= square; break;
    case 'Q': b.WhiteQueens |= square; break;
    case 'K': b.WhiteKing = square; break;
    case 'p': b.BlackPawns |= square; break;
    case 'n': b.BlackKnights |= square; break;
    case 'b': b.BlackBishops |= square; break;
    case 'r': b.BlackRooks |= square; break;
    case 'q': b.BlackQueens |= square; break;
    case 'k': b.BlackKing = square; break;
    default: break;
  }
}

void ClearSquare(ChessBoard& b, u64 square) {
  u64* const boards[12] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks,
                           &b.WhiteQueens, &b.WhiteKing,   &b.BlackPawns,   &b.BlackBishops,
                           &b.BlackKnights, &b.BlackRooks, &b.BlackQueens,  &b.BlackKing};
  for (u64* board : boards) *board &= ~square;
}

// The rights whose king and rook stand on their squares.
char SupportedRights(const ChessBoard& b, char rights) {
  const bool whiteKing = (b.WhiteKing & Squares("e1")) != 0, blackKing = (b.BlackKing & Squares("e8")) != 0;
  if (!whiteKing || !(b.WhiteRooks & Squares("h1"))) rights &= ~WhiteKingSide;
  if (!whiteKing || !(b.WhiteRooks & Squares("a1"))) rights &= ~WhiteQueenSide;
  if (!blackKing || !(b.BlackRooks & Squares("h8"))) rights &= ~BlackKingSide;
  if (!blackKing || !(b.BlackRooks & Squares("a8"))) rights &= ~BlackQueenSide;
  return rights;
}

// The en-passant field names the square a pawn just passed; the move
// generator knows such a pawn by the last move, which is set to that
// double step when the board agrees (an empty square passed and the
// pawn on its square).
void ReadEnPassant(ChessBoard& b, const char* field) {
  if (field[0] < 'a' || field[0] > 'h' || (field[1] != '3' && field[1] != '6')) return;
  const int passed = (field[0] - 'a') + 8 * (field[1] - '1');
  const bool whitePawn = field[1] == '3';
  if (whitePawn != (b.SideToMove == 1)) return;
  const u64 from = SquareMask(whitePawn ? passed - 8 : passed + 8);
  const u64 to = SquareMask(whitePawn ? passed + 8 : passed - 8);
  if (!((whitePawn ? b.WhitePawns : b.BlackPawns) & to)) return;
  if (b.AllPieces & (from | SquareMask(passed))) return;
  b.LastFrom = from;
  b.LastTo = to;
}
}  // namespace

void AddPiece(char letter, u64 square) { AddPieceOn(MainBoard, letter, square); }

// Whatever the text holds only squares a1..h8 are ever written: placement
// that runs off the board is skipped.
const char* ReadPositionText(const char* text, ChessBoard* board) {
  ChessBoard& b = *board;
  b.WhitePawns = b.WhiteBishops = b.WhiteKnights = b.WhiteRooks = b.WhiteQueens = b.WhiteKing = 0;
  b.BlackPawns = b.BlackBishops = b.BlackKnights = b.BlackRooks = b.BlackQueens = b.BlackKing = 0;

  int kings[2] = {0, 0};
  const char* p = text;
  int rowStart = 56, square = 56;
  for (; *p && *p != ' '; p++) {
    char c = *p;
    if (c >= '1' && c <= '8') {
      square += c - '0';
    } else if (c == '/') {
      if (rowStart > -64) rowStart -= 8;
      square = rowStart;
    } else {
      if (square >= 0 && square < 64) {
        // A rank with too many squares runs on into the rank above, which
        // is already set: the later man replaces the earlier, so no square
        // ever holds two.
        if (strchr("PNBRQKpnbrqk", c) != nullptr) ClearSquare(b, SquareMask(square));
        AddPieceOn(b, c, SquareMask(square));
        if (c == 'K') kings[0]++;
        if (c == 'k') kings[1]++;
      }
      square += 1;
    }
    // Keep the index bounded however long the text runs.
    if (square > 64 || square < -64) square = 64;
  }

  b.WhitePieces = b.WhitePawns | b.WhiteBishops | b.WhiteKnights | b.WhiteRooks | b.WhiteQueens | b.WhiteKing;
  b.BlackPieces = b.BlackPawns | b.BlackBishops | b.BlackKnights | b.BlackRooks | b.BlackQueens | b.BlackKing;
  b.AllPieces = b.WhitePieces | b.BlackPieces;
  b.LastFrom = b.LastTo = 0;
  b.CastleFlags = 0;
  // A second king of a colour would have replaced the first.
  const char* problem = kings[0] > 1 || kings[1] > 1 ? "more than one king of a colour" : nullptr;

  if (*p != ' ') {
    b.SideToMove = 0;
    return problem;
  }
  b.SideToMove = p[1] == 'b' ? 1 : 0;
  if (p[1] == 0 || p[2] == 0) return problem;
  // A leading dash means no rights, whatever follows it.
  const char* castling = p + 3;
  const char* c = castling;
  for (; *c && *c != ' '; c++) {
    if (*castling == '-') continue;
    switch (*c) {
      case 'K': b.CastleFlags |= WhiteKingSide; break;
      case 'Q': b.CastleFlags |= WhiteQueenSide; break;
      case 'k': b.CastleFlags |= BlackKingSide; break;
      case 'q': b.CastleFlags |= BlackQueenSide; break;
      default: break;
    }
  }
  b.CastleFlags = SupportedRights(b, b.CastleFlags);
  if (*c == ' ') ReadEnPassant(b, c + 1);
  return problem;
}

void SetupBoard(const char* text) { ReadPositionText(text, &MainBoard); }

const char* PositionProblem(const ChessBoard& b) {
  if (BitCount64(b.WhiteKing) != 1 || BitCount64(b.BlackKing) != 1) return "not exactly one king of each colour";
  if ((b.WhitePawns | b.BlackPawns) & (Rank1 | Rank8)) return "a pawn on the first or last rank";
  if (BitCount64(b.WhitePieces) > 16 || BitCount64(b.BlackPieces) > 16) return "more than 16 men of a colour";
  if (BitCount64(b.WhitePawns) > 8 || BitCount64(b.BlackPawns) > 8) return "more than 8 pawns of a colour";
  const char waiting = b.SideToMove ^ 1;
  if (b.InCheck(b.SideKing(waiting), waiting)) return "the side not to move is in check";
  return nullptr;
}

const char* PositionTextProblem(const char* text) {
  ChessBoard b = MainBoard;
  const char* problem = ReadPositionText(text, &b);
  return problem != nullptr ? problem : PositionProblem(b);
}

const char* LoadPosition(const char* text) {
  ChessBoard b = MainBoard;
  const char* problem = ReadPositionText(text, &b);
  if (problem == nullptr) problem = PositionProblem(b);
  if (problem == nullptr) MainBoard = b;
  return problem;
}

char DecodePiece(u64 mask, const ChessBoard* b) {
  if (b->WhitePawns & mask) return 'P';
  if (b->WhiteKnights & mask) return 'N';
  if (b->WhiteBishops & mask) return 'B';
  if (b->WhiteRooks & mask) return 'R';
  if (b->WhiteQueens & mask) return 'Q';
  if (b->WhiteKing & mask) return 'K';
  if (b->BlackPawns & mask) return 'p';
  if (b->BlackKnights & mask) return 'n';
  if (b->BlackBishops & mask) return 'b';
  if (b->BlackRooks & mask) return 'r';
  if (b->BlackQueens & mask) return 'q';
  return 'k';
}

// A dash for each colour without rights, so "--" when neither has any.
void CastleRights(char* text, char rights) {
  if (!(rights & (WhiteKingSide | WhiteQueenSide))) *text++ = '-';
  if (!(rights & (BlackKingSide | BlackQueenSide))) *text++ = '-';
  if (rights & WhiteKingSide) *text++ = 'K';
  if (rights & WhiteQueenSide) *text++ = 'Q';
  if (rights & BlackKingSide) *text++ = 'k';
  if (rights & BlackQueenSide) *text++ = 'q';
  *text = 0;
}

void pos2fenString(const ChessBoard* board, char* text) {
  char* out = text;
  for (int rank = 7; rank >= 0; rank--) {
    int empty = 0;
    for (int file = 0; file < 8; file++) {
      u64 sq = SquareMask(rank * 8 + file);
      if (!(board->AllPieces & sq)) {
        empty++;
        continue;
      }
      if (empty) *out++ = (char)('0' + empty);
      empty = 0;
      *out++ = DecodePiece(sq, board);
    }
    if (empty) *out++ = (char)('0' + empty);
    if (rank > 0) *out++ = '/';
  }
  out += sprintf(out, board->SideToMove ? " b " : " w ");
  CastleRights(out, board->CastleFlags);
  out += strlen(out);
  strcpy(out, " - 0 ; ");
}

void LoadPositionFile(const char* path) {
  FILE* f = fopen(path, "r");
  if (f == nullptr) {
    printf("ERROR: opening file %s\n", path);
    fflush(stdout);
    exit(1);
  }
  char line[4096];
  if (fgets(line, sizeof line, f) == nullptr) {
    // A path that opens but cannot be read (a directory, say) is no empty
    // file: report it as the failure it is.
    if (ferror(f)) {
      printf("ERROR: opening file %s\n", path);
      fflush(stdout);
      fclose(f);
      exit(1);
    }
    printf("Empty file\n");
    fflush(stdout);
    fclose(f);
    exit(0);
  }
  fclose(f);
  line[strcspn(line, "\r\n")] = 0;
  if (const char* problem = LoadPosition(line)) {
    printf("Illegal position: %s\n", problem);
    fflush(stdout);
    exit(1);
  }
}
