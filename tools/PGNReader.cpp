#include "tools/PGNReader.h"

#include <cstdio>
#include <cstring>

#include "board/PositionText.h"

namespace {
bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }
bool IsAlnum(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// The characters that may follow the first of a symbol (a move, a move
// number, a result, a tag's name).
bool IsSymbolChar(char c) { return IsAlnum(c) || (c != 0 && strchr("_+#=:-/", c) != nullptr); }

bool IsResult(const std::string& s) { return s == "1-0" || s == "0-1" || s == "1/2-1/2" || s == "*"; }
bool IsMoveNumber(const std::string& s) { return !s.empty() && strspn(s.c_str(), "0123456789") == s.size(); }

std::string Quoted(const std::string& s) { return "\"" + s + "\""; }

std::string Described(unsigned char c) {
  char text[48];
  if (c >= 0x20 && c < 0x7f) snprintf(text, sizeof text, "unexpected character '%c'", c);
  else snprintf(text, sizeof text, "unexpected byte 0x%02x", c);
  return text;
}

constexpr const char* StartFEN = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
}  // namespace

const std::string* PGNGame::Tag(const char* name) const {
  for (const auto& tag : Tags) {
    if (tag.first == name) return &tag.second;
  }
  return nullptr;
}

void PlayLegalMove(ChessBoard* board, const LegalMove& move) {
  // Rights end with the man that leaves its home square and with a rook
  // taken on its own.
  board->ClearCastleRights(move.From);
  board->PlayMove(move.From, move.To, move.Promote);
  board->SideToMove ^= 1;
}

PGNReader::PGNReader(std::string text) : text_(std::move(text)) {
  // A byte-order mark before the first tag.
  if (text_.compare(0, 3, "\xEF\xBB\xBF") == 0) at_ = 3;
}

void PGNReader::SkipBlanks() {
  while (at_ < text_.size()) {
    const char c = text_[at_];
    if (c == '%' && lineStart_) {
      // An escape line: another program's data, to the end of the line.
      while (at_ < text_.size() && text_[at_] != '\n') at_++;
      continue;
    }
    if (!IsBlank(c)) return;
    lineStart_ = c == '\n';
    if (c == '\n') line_++;
    at_++;
  }
}

// The text up to `closing` (not kept), lines counted; *closed false when
// the text ends first.
std::string PGNReader::UnclosedText(char closing, int /*line*/, bool* closed) {
  const size_t end = text_.find(closing, at_);
  const size_t stop = end == std::string::npos ? text_.size() : end;
  std::string inside = text_.substr(at_, stop - at_);
  for (char c : inside) {
    if (c == '\n') line_++;
  }
  *closed = end != std::string::npos;
  at_ = *closed ? stop + 1 : stop;
  return inside;
}

// A tag pair: "[", a name, a quoted value with \" and \\ escaped, "]". A
// malformed one is read to the end of its line.
PGNReader::Token PGNReader::ReadTag() {
  Token t;
  t.Line = line_;
  at_++;  // '['
  auto bad = [&](const char* what) {
    while (at_ < text_.size() && text_[at_] != '\n' && text_[at_] != ']') at_++;
    if (at_ < text_.size() && text_[at_] == ']') at_++;
    t.Type = Kind::BadTag;
    t.Text = what;
    return t;
  };
  while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) at_++;
  while (at_ < text_.size() && (IsAlnum(text_[at_]) || text_[at_] == '_')) t.Text += text_[at_++];
  if (t.Text.empty()) return bad("a tag without a name");
  while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) at_++;
  if (at_ >= text_.size() || text_[at_] != '"') return bad("a tag without a quoted value");
  at_++;
  for (;;) {
    if (at_ >= text_.size() || text_[at_] == '\n') return bad("a tag value without its closing quote");
    char c = text_[at_++];
    if (c == '"') break;
    if (c == '\\' && at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\\')) c = text_[at_++];
    t.Value += c;
  }
  while (at_ < text_.size() && (text_[at_] == ' ' || text_[at_] == '\t')) at_++;
  if (at_ >= text_.size() || text_[at_] != ']') return bad("a tag without its closing bracket");
  at_++;
  t.Type = Kind::Tag;
  return t;
}

PGNReader::Token PGNReader::NextToken() {
  for (;;) {
    SkipBlanks();
    Token t;
    t.Line = line_;
    if (at_ >= text_.size()) return t;
    const char c = text_[at_];
    lineStart_ = false;
    // "e.p." after an en-passant capture says nothing the move does not.
    if (text_.compare(at_, 4, "e.p.") == 0) {
      at_ += 4;
      continue;
    }
    if (c == '[') return ReadTag();
    if (c == '{' || c == ';') {
      // A brace comment ends at the first "}" (they do not nest); a
      // semicolon comment at the end of the line.
      at_++;
      bool closed = true;
      t.Text = UnclosedText(c == '{' ? '}' : '\n', t.Line, &closed);
      if (c == ';' && closed) line_++, lineStart_ = true;
      if (c == '{' && !closed) {
        t.Type = Kind::Junk;
        t.Text = "a comment that is not closed";
        return t;
      }
      if (c == ';' && !t.Text.empty() && t.Text.back() == '\r') t.Text.pop_back();
      t.Type = Kind::Comment;
      return t;
    }
    at_++;
    switch (c) {
      case '(': t.Type = Kind::Open; return t;
      case ')': t.Type = Kind::Close; return t;
      case '*': t.Type = Kind::Result, t.Text = "*"; return t;
      case '.':
        while (at_ < text_.size() && text_[at_] == '.') at_++;
        t.Type = Kind::Period;
        return t;
      case '!':
      case '?':
        while (at_ < text_.size() && (text_[at_] == '!' || text_[at_] == '?')) at_++;
        t.Type = Kind::Glyph;
        return t;
      case '$':
        if (at_ < text_.size() && IsDigit(text_[at_])) {
          while (at_ < text_.size() && IsDigit(text_[at_])) at_++;
          t.Type = Kind::NAG;
          return t;
        }
        break;
      default: break;
    }
    // A symbol: a move, a move number or a result; "--" is some programs'
    // null move, read as a move that no position has.
    if (IsAlnum(c) || (c == '-' && at_ < text_.size() && text_[at_] == '-')) {
      t.Text = c;
      while (at_ < text_.size() && IsSymbolChar(text_[at_])) t.Text += text_[at_++];
      t.Type = IsResult(t.Text) ? Kind::Result : Kind::Symbol;
      return t;
    }
    t.Type = Kind::Junk;
    t.Text = Described((unsigned char)c);
    return t;
  }
}

PGNReader::Token PGNReader::Take() {
  if (!pending_) return NextToken();
  pending_ = false;
  return ahead_;
}

void PGNReader::PutBack(const Token& token) {
  ahead_ = token;
  pending_ = true;
}

void PGNReader::Fail(PGNGame* game, const std::string& error, int line) {
  game->Error = error;
  game->ErrorLine = line;
}

void PGNReader::SkipGame() {
  bool pastTags = false;
  for (;;) {
    Token t = Take();
    if (t.Type == Kind::End || t.Type == Kind::Result) return;
    const bool tag = t.Type == Kind::Tag || t.Type == Kind::BadTag;
    if (tag && pastTags) {
      PutBack(t);
      return;
    }
    if (!tag) pastTags = true;
  }
}

bool PGNReader::StartPosition(PGNGame* game, int* line) {
  ChessBoard& b = game->Start;
  b = ChessBoard{};
  b.InitRep();
  const std::string* fen = game->Tag("FEN");
  const char* text = fen ? fen->c_str() : StartFEN;
  const char* problem = fen && fen->find('\0') != std::string::npos ? "a NUL byte in the text" : nullptr;
  if (problem == nullptr) problem = ReadPositionText(text, &b);
  if (problem == nullptr) problem = PositionProblem(b);
  if (problem != nullptr) {
    Fail(game, std::string("the FEN tag is no chess position (") + problem + ")", *line);
    return false;
  }
  const MoveCounters counters = ReadMoveCounters(text);
  b.FiftyMoveCount = counters.HalfMoves;
  game->FirstMoveNumber = counters.FullMove;
  b.RecountPieces();
  return true;
}

bool PGNReader::ReadMoves(PGNGame* game, ChessBoard* board) {
  int depth = 0;  // of the variations the reader is in
  for (;;) {
    Token t = Take();
    switch (t.Type) {
      case Kind::Tag:
      case Kind::BadTag:
        // The next game's tags: this one ended without its result.
        PutBack(t);
        [[fallthrough]];
      case Kind::End:
        if (depth > 0) {
          Fail(game, "a variation that is not closed", t.Line);
          return false;
        }
        if (const std::string* result = game->Tag("Result")) {
          if (IsResult(*result)) game->Result = *result;
        }
        return true;
      case Kind::Result:
        // A result inside a variation ends only the variation's line.
        if (depth > 0) break;
        game->Result = t.Text;
        resultRead_ = true;
        return true;
      case Kind::Comment:
        if (depth > 0) break;
        {
          std::string& to = game->Moves.empty() ? game->Comment : game->Moves.back().Comment;
          if (!to.empty()) to += ' ';
          to += t.Text;
        }
        break;
      case Kind::Open: depth++; break;
      case Kind::Close:
        if (depth == 0) {
          Fail(game, "a ')' without its '('", t.Line);
          SkipGame();
          return false;
        }
        depth--;
        break;
      case Kind::Symbol: {
        if (depth > 0 || IsMoveNumber(t.Text)) break;
        if ((int)game->Moves.size() >= MaxPlies) {
          Fail(game, "more than " + std::to_string(MaxPlies) + " half-moves", t.Line);
          SkipGame();
          return false;
        }
        PGNMove move;
        const SANReading r = ReadSAN(t.Text.c_str(), *board, &move.Move);
        if (r != SANReading::Found) {
          Fail(game, Quoted(t.Text) + (r == SANReading::Ambiguous ? " fits more than one legal move" : " is no legal move"),
               t.Line);
          SkipGame();
          return false;
        }
        PlayLegalMove(board, move.Move);
        game->Moves.push_back(move);
        break;
      }
      case Kind::Junk:
        Fail(game, t.Text, t.Line);
        SkipGame();
        return false;
      case Kind::NAG:
      case Kind::Glyph:
      case Kind::Period: break;
    }
  }
}

bool PGNReader::Next(PGNGame* game) {
  // Text after the last game that holds no game (a comment, say) is none.
  for (;;) {
    if (!ReadGame(game)) return false;
    if (!game->Error.empty() || !game->Tags.empty() || !game->Moves.empty() || resultRead_) return true;
    games_--;
  }
}

bool PGNReader::ReadGame(PGNGame* game) {
  *game = PGNGame();
  resultRead_ = false;
  Token t = Take();
  if (t.Type == Kind::End) return false;
  game->Number = ++games_;
  game->Line = t.Line;
  // The tags, and any comment among them or before them.
  for (;; t = Take()) {
    if (t.Type == Kind::Tag) {
      game->Tags.emplace_back(t.Text, t.Value);
    } else if (t.Type == Kind::BadTag) {
      Fail(game, t.Text, t.Line);
      SkipGame();
      return true;
    } else if (t.Type == Kind::Comment) {
      if (!game->Comment.empty()) game->Comment += ' ';
      game->Comment += t.Text;
    } else {
      break;
    }
  }
  PutBack(t);
  int line = game->Line;
  if (!StartPosition(game, &line)) {
    SkipGame();
    return true;
  }
  ChessBoard board = game->Start;
  ReadMoves(game, &board);
  return true;
}
