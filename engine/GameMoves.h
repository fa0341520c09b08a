// Moves at game level, shared by the console/xboard reader, the game loop and
// the UCI front end: a move word matched against the legal moves of the game
// position, the move text sent to a GUI, piece counts after a set-up, the
// game's positions on the repetition stack and the game's end. The search's
// own move handling lives in search/.
#pragma once
#include "board/PositionText.h"
#include "board/Types.h"

class ChessBoard;

// A move as the game loop and the front ends pass it around.
struct GameMove {
  u64 From = 0;
  u64 To = 0;
  char Promote = NoPromotion;
};

// Why `word` (up to a blank or its end) is no legal move of `board` for its
// side to move, or nullptr with the move in *move. The word is a square, a
// second square and, for a promotion only, the piece (q, r, b or n; upper
// case is taken too), a queen when none is given; nothing else may follow.
const char* MoveWordProblem(const char* word, const ChessBoard& board, GameMove* move);
// True when MoveWordProblem finds none.
bool FindLegalMove(const char* word, const ChessBoard& board, GameMove* move);
// True when from, to and promotion name a legal move of `board`.
bool IsLegalMove(const ChessBoard& board, const GameMove& move);
// The first legal move in generation order; false when there is none.
bool FirstLegalMove(const ChessBoard& board, GameMove* move);

// Coordinate text of a move: "e2e4", or "e7e8q" with the promotion piece in
// lower case. Needs room for six characters.
void MoveWord(char* text, const GameMove& move);

// The move as xboard reads it: coordinates, but castling in Chess960 as
// "O-O" or "O-O-O", as xboard itself writes it for its fischerandom.
void XboardMoveWord(char* text, const ChessBoard& board, const GameMove& move);

// Standard algebraic notation of a legal move of `board` ("Nf3", "O-O",
// "e8=Q+"); the coordinate text when the move is no legal one. Needs room
// for eight characters.
void MoveSAN(char* text, const ChessBoard& board, const GameMove& move);

// Plays a move of the game on MainBoard: castling rights cleared by the
// square the man leaves, then the move itself. The side to move is left to
// the caller.
void PlayGameMove(const GameMove& move);

// The board diagram of MainBoard followed by its evaluation from White's
// view (left out while the test-suite mode prints its own evaluation).
void ShowBoard();
// "d": the board diagram, the whole FEN of the game's position and its hash
// key. "eval": its evaluation term by term. Neither changes the game.
void ShowPositionDetails();
void ShowEvaluation();


// The moves the clock is shared by until the next time control of
// `levelMoves` moves each, at the game's half-move `gamePly` (1 for White's
// first move): those left, the move about to be played included, and one
// more, so that the last moves before the control keep a margin.
int MovesToControl(int levelMoves, int gamePly);

// With "-checkboard", MainBoard's bookkeeping is checked after a command:
// an inconsistency is printed with the command and ends the program at once
// (abort), so that a test or a fuzzer sees it where no sanitizer would.
void CheckBoardAfter(const char* command);

// The move counters of a position a GUI or a person set up: the fifty-move
// count of MainBoard (whose side to move is set) and the game's half-move
// number, GamePly.
void TakeMoveCounters(const MoveCounters& counters);

// The game's positions on the repetition stack MoveList, one per position
// played, so that the search and the game loop recognise repetitions of
// earlier game positions. StartGameRecord empties the stack and records
// MainBoard as the game's first position; it must not run while a search
// has its own positions on the stack.
void StartGameRecord();
void RecordGamePosition(char side);
// The game's positions before each of its moves, for "undo" and "remove":
// the whole board, the game ply and the repetition record's length, pushed
// for every move either side plays at the console or under xboard and
// emptied by StartGameRecord (new, setboard, edit, abort).
// SaveGamePosition takes the position before the move, with the game ply
// and the repetition record as they stand.
void SaveGamePosition(const ChessBoard& before);
// Moves that can be taken back.
int TakeBacksAvailable();
// Takes back the last `count` moves: MainBoard, the game ply and the
// repetition record become those of the earlier position, but the depth
// limit set since ("sd") is kept. False, with nothing changed, when fewer
// moves were played.
bool TakeBackMoves(int count);
// Earlier occurrences of MainBoard's position (side to move as given) since
// the last capture or pawn move: 2 means the position stands for the third
// time.
int GameRepetitions(char side);

// The game's end at MainBoard, its side to move the one to reply and the
// position already in the repetition record. When the game is over, each
// prints the result line in PGN form, ends the game (GameInProgress 0) and
// answers true. Analysis plays no game and announces nothing.
// AnnounceGameEnd, after a player's move or when the engine is to move:
// mate, stalemate, a dead position (ChessBoard::IsDeadPosition, not the
// search's wider material rule), and the draws a player claims, by the
// fifty-move rule and by the third occurrence of a position.
bool AnnounceGameEnd();
// AnnounceFinalPosition, after a move fed in force mode: only the endings
// nobody claims, mate, stalemate and a dead position. A game fed move by
// move may go on past a repetition that neither of its players claimed;
// the engine claims it once it is to move.
bool AnnounceFinalPosition();
