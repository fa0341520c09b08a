// Games from PGN text as real files write them: tag pairs (escaped quotes
// and backslashes in their values), move numbers ("12.", "12..."), moves in
// standard algebraic notation read against the legal moves of the game's
// position, "{...}" and ";" comments, "%" escape lines, NAGs ("$4") and
// suffixes ("!?"), nested variations, and the results "1-0", "0-1",
// "1/2-1/2" and "*". Only the main line's moves and comments are kept; a
// variation is read over and dropped. A game that cannot be read comes back
// with what is wrong and its line, and the reader goes on with the next.
#pragma once
#include <string>
#include <utility>
#include <vector>

#include "board/ChessBoard.h"
#include "movegen/SANText.h"

struct PGNMove {
  LegalMove Move;
  std::string Comment;  // the main line's comments after the move, joined
};

struct PGNGame {
  int Number = 0;  // 1 for the text's first game
  int Line = 0;    // the line the game starts on
  std::vector<std::pair<std::string, std::string>> Tags;  // in the text's order
  // The position before the first move: the start position, or the "FEN"
  // tag's with its fifty-move count, and the number of its move.
  ChessBoard Start;
  int FirstMoveNumber = 1;
  std::string Comment;  // before the first move
  std::vector<PGNMove> Moves;
  std::string Result = "*";  // the termination, else the "Result" tag's
  std::string Error;         // why the game could not be read, else empty
  int ErrorLine = 0;

  // The tag's value, or nullptr.
  const std::string* Tag(const char* name) const;
};

class PGNReader {
 public:
  // Longest game read, in half-moves: the search's repetition record holds
  // the game's positions and the line it searches.
  static constexpr int MaxPlies = 9000;

  explicit PGNReader(std::string text);
  // The next game, also one that could not be read (Error set); false when
  // the text holds no more.
  bool Next(PGNGame* game);

 private:
  enum class Kind { End, Tag, Comment, Open, Close, NAG, Glyph, Period, Result, Symbol, Junk, BadTag };
  struct Token {
    Kind Type = Kind::End;
    std::string Text;   // a symbol, comment, result, or a tag's name
    std::string Value;  // a tag's value
    int Line = 0;
  };

  bool ReadGame(PGNGame* game);
  Token NextToken();
  // A token read ahead and not yet used.
  Token Take();
  void PutBack(const Token& token);
  void SkipBlanks();
  Token ReadTag();
  std::string UnclosedText(char closing, int line, bool* closed);
  // Reads over what is left of a game that cannot be read: up to its result,
  // or to the tags of the next game.
  void SkipGame();
  bool StartPosition(PGNGame* game, int* line);
  bool ReadMoves(PGNGame* game, ChessBoard* board);
  void Fail(PGNGame* game, const std::string& error, int line);

  std::string text_;
  size_t at_ = 0;
  int line_ = 1;
  bool lineStart_ = true;
  bool pending_ = false;
  Token ahead_;
  int games_ = 0;
  bool resultRead_ = false;  // the game read last ended with its result
};

// Plays a legal move on the board for its side to move, the castling rights
// that the move ends cleared, and gives the move to the other side.
void PlayLegalMove(ChessBoard* board, const LegalMove& move);
