#include "board/PositionText.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

const char* Report(const char* format, ...) __attribute__((format(printf, 1, 2)));

constexpr const char* CastlingLetters = "KQkqABCDEFGHabcdefgh-";

// The castling field onto a board whose men are placed. "K" and "Q" name
// the outermost rook on the king's side of the first rank, a file letter
// ("HAha", or "B" beside "KQ") the rook on that file; lower case is Black's.
// In standard chess "KQkq" needs the king on e1 (e8) and its rook in the
// corner, and a right the men do not support is dropped, as it always was;
// in Chess960, and for a file letter in either, a letter that names no rook,
// or a king off its first rank, makes the text no position. Returns the
// problem or nullptr.
const char* ReadCastling(ChessBoard& b, const char* field, int length) {
  b.CastleFlags = 0;
  for (u8& code : b.CastleRookFileCode) code = 0;
  b.CastleKingFileCode[0] = b.CastleKingFileCode[1] = 0;
  // A leading dash means no rights, whatever follows it.
  if (length == 0 || field[0] == '-') return nullptr;
  for (int i = 0; i < length; i++) {
    const char c = field[i];
    if (c == '-') continue;
    // Other characters (of a text already found malformed) are passed over.
    if (c == 0 || strchr(CastlingLetters, c) == nullptr) continue;
    const char side = c >= 'a' ? 1 : 0;
    const char* colour = side ? "Black" : "White";
    const char upper = side ? (char)(c - 'a' + 'A') : c;
    const bool fileLetter = upper != 'K' && upper != 'Q';
    const bool strict = Chess960 || fileLetter;
    const int back = side ? 56 : 0;
    const u64 king = b.SideKing(side);
    const u64 rooks = (side ? b.BlackRooks : b.WhiteRooks) & (Rank1 << back);
    if (!OneSquare(king) || !(king & (Rank1 << back))) {
      if (!strict) continue;
      return Report("the castling letter %c needs the %s king on its first rank", c, colour);
    }
    const int kingFile = SquareIndex(king) & 7;
    int rookFile = -1;
    if (upper == 'K') {
      for (int file = 7; file > kingFile && rookFile < 0; file--)
        if (rooks & SquareMask(back + file)) rookFile = file;
    } else if (upper == 'Q') {
      for (int file = 0; file < kingFile && rookFile < 0; file++)
        if (rooks & SquareMask(back + file)) rookFile = file;
    } else if (rooks & SquareMask(back + (upper - 'A'))) {
      rookFile = upper - 'A';
    }
    if (rookFile < 0) {
      if (!strict) continue;
      return Report("the castling letter %c names no %s rook %s", c, colour,
                    upper == 'K' ? "beside the king towards the h-file"
                    : upper == 'Q' ? "beside the king towards the a-file"
                                   : "on that file of its first rank");
    }
    const int wing = rookFile > kingFile ? 0 : 1;
    const int index = (side ? 2 : 0) + wing;
    // "KQkq" in standard chess: the king on e1 (e8), the rooks in the
    // corners. A file letter says which rook castles in any game.
    if (!Chess960 && !fileLetter && (kingFile != 4 || rookFile != (wing == 0 ? 7 : 0))) continue;
    const char right = (char)(1 << index);
    if ((b.CastleFlags & right) && b.CastleRookFile(index) != rookFile)
      return Report("two %s-side castling rights for %s", wing == 0 ? "king" : "queen", colour);
    b.CastleFlags |= right;
    b.SetCastleRookFile(index, rookFile);
    b.SetCastleKingFile(side, kingFile);
  }
  return nullptr;
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

// The squares of a rank from one file up to another, the first included.
u64 RankSpan(int back, int fromFile, int toFile) {
  return fromFile >= toFile ? 0 : ((1ULL << toFile) - (1ULL << fromFile)) << back;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// The field that starts at *p (blanks before it skipped): its start and
// length; *p is left after it. Length 0 when the text has no more fields.
const char* NextField(const char** p, int* length) {
  const char* start = *p;
  while (IsBlank(*start)) start++;
  const char* end = start;
  while (*end && !IsBlank(*end)) end++;
  *p = end;
  *length = (int)(end - start);
  return start;
}

// A character of the text as a message shows it.
void ShowCharacter(char* out, size_t size, char c) {
  if (c > ' ' && c < 127) snprintf(out, size, "'%c'", c);
  else snprintf(out, size, "the byte 0x%02x", (unsigned char)c);
}

// The message of the last problem found, for the reader's callers.
thread_local char Problem[160];

const char* Report(const char* format, ...) {
  va_list args;
  va_start(args, format);
  vsnprintf(Problem, sizeof Problem, format, args);
  va_end(args);
  return Problem;
}

// The placement: eight ranks, each of eight squares made of man letters and
// the digits 1 to 8.
const char* PlacementProblem(const char* field, int length) {
  if (length == 0) return "the text holds no position";
  int ranks = 1;
  for (int i = 0; i < length; i++) ranks += field[i] == '/';
  if (ranks != 8) return Report("the placement has %d rank%s, not 8", ranks, ranks == 1 ? "" : "s");
  const char* p = field;
  for (int rank = 8; rank >= 1; rank--, p++) {
    long squares = 0;
    for (; p < field + length && *p != '/'; p++) {
      if (*p >= '1' && *p <= '8') {
        squares += *p - '0';
      } else if (*p >= '0' && *p <= '9') {
        return Report("the digit %c in rank %d (empty squares are 1 to 8)", *p, rank);
      } else if (strchr("PNBRQKpnbrqk", *p) != nullptr) {
        squares++;
      } else {
        char shown[24];
        ShowCharacter(shown, sizeof shown, *p);
        return Report("%s in rank %d names no man", shown, rank);
      }
    }
    if (squares != 8) return Report("rank %d has %ld squares, not 8", rank, squares);
  }
  return nullptr;
}

// What makes the text malformed as FEN or EPD, or nullptr: the placement,
// the side to move, and, where present, the castling and en-passant fields.
// What follows them (a FEN's counters, EPD operations) is not judged here.
// The castling field may hold dashes among its letters, as this engine's
// own writer puts them ("-KQ").
const char* TextFormProblem(const char* text) {
  const char* p = text;
  int length;
  const char* field = NextField(&p, &length);
  if (const char* problem = PlacementProblem(field, length)) return problem;

  field = NextField(&p, &length);
  if (length == 0) return "no side to move";
  if (length != 1 || (field[0] != 'w' && field[0] != 'b'))
    return Report("the side to move \"%.*s\" is neither w nor b", length < 20 ? length : 20, field);

  field = NextField(&p, &length);
  if (length == 0) return nullptr;
  if ((int)strspn(field, CastlingLetters) < length)
    return Report("the castling field \"%.*s\" holds more than K, Q, k, q, file letters or -",
                  length < 20 ? length : 20, field);

  field = NextField(&p, &length);
  if (length == 0) return nullptr;
  const bool none = length == 1 && field[0] == '-';
  const bool square = length == 2 && field[0] >= 'a' && field[0] <= 'h' && (field[1] == '3' || field[1] == '6');
  if (!none && !square)
    return Report("the en-passant field \"%.*s\" is neither - nor a square of the third or sixth rank",
                  length < 20 ? length : 20, field);
  return nullptr;
}

// A counter field: its digits as a number no larger than `limit`, or -1
// when it is no number.
long CounterValue(const char* field, int length, long limit) {
  if (length == 0 || (int)strspn(field, "0123456789") < length) return -1;
  long value = 0;
  for (int i = 0; i < length; i++) value = std::min(limit, value * 10 + (field[i] - '0'));
  return value;
}
}  // namespace

MoveCounters ReadMoveCounters(const char* text) {
  MoveCounters counters;
  const char* p = text;
  int length;
  for (int i = 0; i < 4; i++) NextField(&p, &length);
  const char* field = NextField(&p, &length);
  const long halfMoves = CounterValue(field, length, MoveCounters::HalfMoveLimit);
  if (halfMoves < 0) return counters;
  counters.HalfMoves = (i32)halfMoves;
  field = NextField(&p, &length);
  const long fullMove = CounterValue(field, length, MoveCounters::FullMoveLimit);
  if (fullMove > 0) counters.FullMove = (i32)fullMove;
  return counters;
}

void AddPiece(char letter, u64 square) { AddPieceOn(MainBoard, letter, square); }

// Whatever the text holds only squares a1..h8 are ever written: placement
// that runs off the board is skipped.
const char* ReadPositionText(const char* text, ChessBoard* board) {
  ChessBoard& b = *board;
  b.WhitePawns = b.WhiteBishops = b.WhiteKnights = b.WhiteRooks = b.WhiteQueens = b.WhiteKing = 0;
  b.BlackPawns = b.BlackBishops = b.BlackKnights = b.BlackRooks = b.BlackQueens = b.BlackKing = 0;

  int kings[2] = {0, 0};
  const char* p = text;
  while (IsBlank(*p)) p++;
  int rowStart = 56, square = 56;
  for (; *p && !IsBlank(*p); p++) {
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
  // Malformed text is reported before what its men make of the board; a
  // second king of a colour would have replaced the first.
  const char* problem = TextFormProblem(text);
  if (problem == nullptr && (kings[0] > 1 || kings[1] > 1)) problem = "more than one king of a colour";

  int length;
  const char* side = NextField(&p, &length);
  b.SideToMove = length > 0 && side[0] == 'b' ? 1 : 0;
  const char* castling = NextField(&p, &length);
  const char* rightsProblem = ReadCastling(b, castling, length);
  if (problem == nullptr) problem = rightsProblem;
  const char* enPassant = NextField(&p, &length);
  if (length > 0) ReadEnPassant(b, enPassant);
  return problem;
}

const char* ReadCastlingField(ChessBoard& board, const char* field) {
  return ReadCastling(board, field, (int)strlen(field));
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

std::string CastlingField(const ChessBoard& board, CastlingStyle style) {
  std::string field;
  for (int index = 0; index < 4; index++) {
    if (!(board.CastleFlags & (1 << index))) continue;
    const char side = index >= 2 ? 1 : 0;
    const bool kingSide = (index & 1) == 0;
    const int back = side ? 56 : 0, file = board.CastleRookFile(index);
    // Another rook further out on the wing makes "K" or "Q" name that one.
    const u64 outside = kingSide ? RankSpan(back, file + 1, 8) : RankSpan(back, 0, file);
    const bool outermost = !((side ? board.BlackRooks : board.WhiteRooks) & outside);
    char letter = style == CastlingStyle::Files || !outermost ? (char)('A' + file) : kingSide ? 'K' : 'Q';
    if (side) letter = (char)(letter - 'A' + 'a');
    field += letter;
  }
  return field.empty() ? "-" : field;
}

std::string FenText(const ChessBoard& board, int moveNumber, CastlingStyle style) {
  char text[128];
  pos2fenString(&board, text);
  std::string fen(text, strchr(text, ' ') + 3);  // placement and side
  fen += CastlingField(board, style);
  // The square passed when the last move was a pawn's double step.
  const int from = SquareOf(board.LastFrom), to = SquareOf(board.LastTo);
  const bool doubleStep = board.LastTo != 0 && board.IsPawn(board.SideToMove ^ 1, board.LastTo) &&
                          (from - to == 16 || to - from == 16);
  char tail[48];
  if (doubleStep) snprintf(tail, sizeof tail, " %c%d", 'a' + (from + to) / 2 % 8, (from + to) / 2 / 8 + 1);
  else snprintf(tail, sizeof tail, " -");
  fen += tail;
  snprintf(tail, sizeof tail, " %d %d", board.FiftyMoveCount, moveNumber);
  return fen + tail;
}

bool ReadTextLine(FILE* file, std::string* line) {
  line->clear();
  int c;
  while ((c = getc(file)) != EOF && c != '\n') line->push_back((char)c);
  if (c == EOF && line->empty()) return false;
  if (!line->empty() && line->back() == '\r') line->pop_back();
  return true;
}

MoveCounters LoadPositionFile(const char* path) {
  FILE* f = fopen(path, "rb");
  if (f == nullptr) {
    printf("ERROR: opening file %s\n", path);
    fflush(stdout);
    exit(1);
  }
  std::string line;
  if (!ReadTextLine(f, &line)) {
    // A path that opens but cannot be read (a directory, say) is no empty
    // file: report it as the failure it is. An empty file holds no
    // position either, and a script must see that it failed.
    if (ferror(f)) printf("ERROR: opening file %s\n", path);
    else printf("Empty file\n");
    fflush(stdout);
    fclose(f);
    exit(1);
  }
  fclose(f);
  const char* problem = line.find('\0') != std::string::npos ? "a NUL byte in the text" : LoadPosition(line.c_str());
  if (problem != nullptr) {
    printf("Illegal position: %s\n", problem);
    fflush(stdout);
    exit(1);
  }
  return ReadMoveCounters(line.c_str());
}
