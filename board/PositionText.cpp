#include "board/PositionText.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "board/BitOps.h"
#include "board/ChessBoard.h"

void AddPiece(char letter, u64 square) {
  ChessBoard& b = MainBoard;
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

namespace {
void ClearSquare(u64 square) {
  ChessBoard& b = MainBoard;
  u64* const boards[12] = {&b.WhitePawns, &b.WhiteBishops, &b.WhiteKnights, &b.WhiteRooks,
                           &b.WhiteQueens, &b.WhiteKing,   &b.BlackPawns,   &b.BlackBishops,
                           &b.BlackKnights, &b.BlackRooks, &b.BlackQueens,  &b.BlackKing};
  for (u64* board : boards) *board &= ~square;
}
}  // namespace

// The text is not validated, but whatever it holds only squares a1..h8 are
// ever written: placement that runs off the board is skipped.
void SetupBoard(const char* text) {
  ChessBoard& b = MainBoard;
  b.WhitePawns = b.WhiteBishops = b.WhiteKnights = b.WhiteRooks = b.WhiteQueens = b.WhiteKing = 0;
  b.BlackPawns = b.BlackBishops = b.BlackKnights = b.BlackRooks = b.BlackQueens = b.BlackKing = 0;

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
        if (strchr("PNBRQKpnbrqk", c) != nullptr) ClearSquare(SquareMask(square));
        AddPiece(c, SquareMask(square));
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

  if (*p != ' ') {
    b.SideToMove = 0;
    return;
  }
  b.SideToMove = p[1] == 'b' ? 1 : 0;
  if (p[1] == 0 || p[2] == 0) return;
  const char* castling = p + 3;
  if (*castling == '-') return;
  for (const char* c = castling; *c && *c != ' '; c++) {
    switch (*c) {
      case 'K': b.CastleFlags |= WhiteKingSide; break;
      case 'Q': b.CastleFlags |= WhiteQueenSide; break;
      case 'k': b.CastleFlags |= BlackKingSide; break;
      case 'q': b.CastleFlags |= BlackQueenSide; break;
      default: break;
    }
  }
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
  SetupBoard(line);
}
