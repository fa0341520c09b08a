#include "engine/GameMoves.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "board/BitOps.h"
#include "board/BoardMasks.h"
#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/MoveHistory.h"
#include "engine/CommandLine.h"
#include "engine/Status.h"
#include "eval/PositionEvaluate.h"
#include "movegen/MoveGen.h"
#include "movegen/SANText.h"
#include "search/SearchLimits.h"
#include "search/TimeControl.h"
#include "tools/EPDSuite.h"

namespace {
bool IsFile(char c) { return c >= 'a' && c <= 'h'; }
bool IsRank(char c) { return c >= '1' && c <= '8'; }

bool IsPromotionLetter(char c) {
  switch (c) {
    case 'q': case 'r': case 'b': case 'n':
    case 'Q': case 'R': case 'B': case 'N': return true;
    default: return false;
  }
}

// Calls visit(move) for every legal move of the board's side to move until
// it returns true; true when it did. Evasions when in check, else the full
// list, each kept when the own king is safe after it (as perft counts).
template <typename Visit>
bool ForEachLegalMove(const ChessBoard& position, Visit visit) {
  ChessBoard board = position;
  const char side = board.SideToMove;
  MoveGen list;
  const int n = board.InCheck(board.SideKing(side), side) ? list.GenCheckEvasions(side, &board)
                                                          : list.GenerateAllMoves(side, &board, board.CastleFlags);
  for (int i = 0; i < n; i++) {
    GameMove m;
    char castleMask;
    list.GetMove(i, n, &m.From, &m.To, &m.Promote);
    board.MakeMove(m.From, m.To, m.Promote, &castleMask);
    const bool legal = !board.InCheck(board.SideKing(side), side);
    board.UndoMove(i);
    if (legal && visit(m)) return true;
  }
  return false;
}

struct GamePosition {
  ChessBoard Board;
  i32 GamePly;
  int RecordSize;  // MoveList.NumMoves, whose top entry is this position
};
std::vector<GamePosition> PlayedPositions;
}  // namespace

const char* MoveWordProblem(const char* word, const ChessBoard& board, GameMove* move) {
  const size_t length = strcspn(word, " \t\r\n");
  if (length < 4 || length > 5 || !IsFile(word[0]) || !IsRank(word[1]) || !IsFile(word[2]) || !IsRank(word[3]))
    return "not a move in coordinate notation";
  const char letter = length == 5 ? word[4] : 0;
  if (letter != 0 && !IsPromotionLetter(letter)) return "a pawn promotes to q, r, b or n";
  const u64 from = SquareMask((word[0] - 'a') + 8 * (word[1] - '1'));
  const u64 to = SquareMask((word[2] - 'a') + 8 * (word[3] - '1'));
  GameMove found;
  const bool legal = ForEachLegalMove(board, [&](const GameMove& m) {
    if (m.From != from || m.To != to) return false;
    found = m;
    return true;
  });
  if (!legal) {
    // Castling in the other form (the king's two files, or the king onto
    // its rook): the form this game writes it in.
    const char side = board.SideToMove;
    const bool kingSide = (SquareOf(to) & 7) > (SquareOf(from) & 7);
    const int files = (SquareOf(to) & 7) - (SquareOf(from) & 7);
    const u64 back = side ? Rank8 : Rank1;
    const bool castlingShape = board.IsKing(side, from) && (from & back) && (to & back) &&
                               (board.IsRook(side, to) || files >= 2 || files <= -2);
    GameMove castling;
    if (castlingShape && ForEachLegalMove(board, [&](const GameMove& m) {
          if (m.From != from || !board.IsCastling(side, m.From, m.To)) return false;
          if (((SquareOf(m.To) & 7) > (SquareOf(m.From) & 7)) != kingSide) return false;
          castling = m;
          return true;
        })) {
      static thread_local char text[64];
      char word[8];
      MoveWord(word, castling);
      snprintf(text, sizeof text, "castling is written %s here", word);
      return text;
    }
    const bool own = (board.SideToMove ? board.BlackPieces : board.WhitePieces) & from;
    return own ? "not a legal move of that man" : "the side to move has no man on its square";
  }
  if (found.Promote == NoPromotion && letter != 0) return "a promotion letter after a move that does not promote";
  // The generator promotes to a queen only; the player may choose.
  if (letter != 0) found.Promote = letter;
  *move = found;
  return nullptr;
}

bool FindLegalMove(const char* word, const ChessBoard& board, GameMove* move) {
  return MoveWordProblem(word, board, move) == nullptr;
}

bool IsLegalMove(const ChessBoard& board, const GameMove& move) {
  return ForEachLegalMove(board, [&](const GameMove& m) {
    if (m.From != move.From || m.To != move.To) return false;
    return (m.Promote == NoPromotion) == !IsPromotionLetter(move.Promote);
  });
}

bool FirstLegalMove(const ChessBoard& board, GameMove* move) {
  return ForEachLegalMove(board, [&](const GameMove& m) {
    *move = m;
    return true;
  });
}

void MoveWord(char* text, const GameMove& move) {
  const int from = SquareOf(move.From), to = SquareOf(move.To);
  int n = sprintf(text, "%c%d%c%d", 'a' + (from & 7), from / 8 + 1, 'a' + (to & 7), to / 8 + 1);
  if (IsPromotionLetter(move.Promote)) {
    char letter = move.Promote;
    if (letter >= 'A' && letter <= 'Z') letter = (char)(letter - 'A' + 'a');
    text[n++] = letter;
    text[n] = 0;
  }
}

void XboardMoveWord(char* text, const ChessBoard& board, const GameMove& move) {
  if (Chess960 && board.IsCastling(board.SideToMove, move.From, move.To)) {
    strcpy(text, (SquareOf(move.To) & 7) > (SquareOf(move.From) & 7) ? "O-O" : "O-O-O");
    return;
  }
  MoveWord(text, move);
}

void MoveSAN(char* text, const ChessBoard& board, const GameMove& move) {
  char word[8];
  MoveWord(word, move);
  for (const LegalMove& m : LegalMoves(board)) {
    if (m.From != move.From || m.To != move.To) continue;
    // A promotion is listed once for each piece: the one chosen.
    if (m.Promote != NoPromotion && (m.Promote | 0x20) != word[4]) continue;
    WriteSAN(board, m, text);
    return;
  }
  snprintf(text, 8, "%s", word);
}

void PlayGameMove(const GameMove& move) {
  ChessBoard& b = MainBoard;
  // Rights end with the man that leaves its home square, and with a rook
  // captured there: a rook that later arrives on that square cannot castle.
  b.ClearCastleRights(move.From);
  b.ClearCastleRights(move.To);
  char castleMask;
  b.MakeMove(move.From, move.To, move.Promote, &castleMask);
  // Moves left out of analysis were moves of the position before.
  Limits.ExcludedMoves.clear();
}

void ShowBoard() {
  MainBoard.DisplayBoard();
  if (!MainStatus.PEV) PE.PrintWhiteScore(&MainBoard);
}

void ShowPositionDetails() {
  MainBoard.DisplayBoard();
  const int moveNumber = std::max(1, (Clock.GamePly + 1) / 2);
  u64 code1, code2;
  genhashcode(MainBoard.SideToMove, MainBoard.CastleFlags, &code1, &code2, &MainBoard);
  // UCI GUIs write Chess960 rights by the rooks' files, xboard as "KQkq".
  const CastlingStyle style = Chess960 && MainStatus.UCIMode ? CastlingStyle::Files : CastlingStyle::KQkq;
  printf("Fen: %s\nKey: %016llX\n", FenText(MainBoard, moveNumber, style).c_str(), (unsigned long long)code1);
  fflush(stdout);
}

void ShowEvaluation() {
  PrintEvaluationDetail(MainBoard);
  fflush(stdout);
}

int MovesToControl(int levelMoves, int gamePly) {
  const int moveNumber = (gamePly + 1) >> 1;
  return levelMoves - (moveNumber - 1) % levelMoves + 1;
}

void CheckBoardAfter(const char* command) {
  if (!Arguments.CheckBoard) return;
  const char* problem = MainBoard.Inconsistency();
  if (problem == nullptr) return;
  printf("Major Error: the board is inconsistent after \"%.60s\": %s\n", command, problem);
  fflush(stdout);
  abort();
}

void StartGameRecord() {
  Limits.ExcludedMoves.clear();
  PlayedPositions.clear();
  MoveList.Init();
  RecordGamePosition(MainBoard.SideToMove);
}

void RecordGamePosition(char side) {
  u64 code1, code2;
  genhashcode(side, MainBoard.CastleFlags, &code1, &code2, &MainBoard);
  MoveList.InsertMoveHistory(code1, code2);
}

int GameRepetitions(char side) {
  u64 code1, code2;
  genhashcode(side, MainBoard.CastleFlags, &code1, &code2, &MainBoard);
  return MoveList.ThreeFoldRepDetection(MainBoard.FiftyMoveCount + 1, code1, code2);
}

void TakeMoveCounters(const MoveCounters& counters) {
  MainBoard.FiftyMoveCount = counters.HalfMoves;
  Clock.GamePly = 2 * (counters.FullMove - 1) + 1 + MainBoard.SideToMove;
}

void SaveGamePosition(const ChessBoard& before) {
  PlayedPositions.push_back(GamePosition{before, Clock.GamePly, MoveList.NumMoves});
}

int TakeBacksAvailable() { return (int)PlayedPositions.size(); }

bool TakeBackMoves(int count) {
  if (count < 1 || count > TakeBacksAvailable()) return false;
  const GamePosition earlier = PlayedPositions[PlayedPositions.size() - count];
  PlayedPositions.resize(PlayedPositions.size() - count);
  Limits.ExcludedMoves.clear();
  const i32 maxDepth = MainBoard.MaxDepth;
  MainBoard = earlier.Board;
  MainBoard.MaxDepth = maxDepth;
  Clock.GamePly = earlier.GamePly;
  // The top entry is written anew: "white" or "black" may have changed the
  // side it was recorded for.
  MoveList.NumMoves = earlier.RecordSize > 0 ? earlier.RecordSize - 1 : 0;
  RecordGamePosition(MainBoard.SideToMove);
  return true;
}

namespace {
// The result line of a game that has ended at MainBoard, or nullptr; the
// draws a player claims only when `claims`. Mate comes before every draw,
// and material before the count of moves.
const char* GameResult(bool claims) {
  const ChessBoard& b = MainBoard;
  const char side = b.SideToMove;
  GameMove any;
  if (!FirstLegalMove(b, &any)) {
    if (!b.InCheck(b.SideKing(side), side)) return "1/2-1/2 {Stalemate}";
    return side == 1 ? "1-0 {White mates}" : "0-1 {Black mates}";
  }
  if (b.IsDeadPosition()) return "1/2-1/2 {Draw by insufficient material}";
  if (!claims) return nullptr;
  if (b.FiftyMoveCount > 99) return "1/2-1/2 {Draw by 50 Move Rule}";
  if (GameRepetitions(side) >= 2) return "1/2-1/2 {Draw by repetition}";
  return nullptr;
}

bool Announce(bool claims) {
  if (Limits.Analyze) return false;
  const char* result = GameResult(claims);
  if (result == nullptr) return false;
  printf("%s\n", result);
  fflush(stdout);
  MainStatus.GameInProgress = 0;
  return true;
}
}  // namespace

bool AnnounceGameEnd() { return Announce(true); }
bool AnnounceFinalPosition() { return Announce(false); }
