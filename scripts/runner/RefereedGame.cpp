#include "scripts/runner/RefereedGame.h"

#include <climits>
#include <cstdlib>
#include <sstream>

namespace {
// A move with no score in its search's output.
constexpr int NoScore = INT_MIN;
// A mate in N for the mover scores UciMateScore - N, a mate against it the
// negative: beyond any resign threshold.
constexpr int UciMateScore = 100000;
constexpr const char* StandardStart = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char* const ColourName[2] = {"White", "Black"};

// The PGN comment of a game the rules drew.
const char* DrawReason(Ending ending) {
  switch (ending) {
    case Ending::Stalemate: return "stalemate";
    case Ending::Repetition: return "threefold repetition";
    case Ending::FiftyMoves: return "fifty-move rule";
    default: return "insufficient material";
  }
}

std::vector<std::string> Words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> words;
  std::string word;
  while (in >> word) words.push_back(word);
  return words;
}

bool ToInt(const std::string& text, long long* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = strtoll(text.c_str(), &end, 10);
  return *end == 0;
}
}  // namespace

GameRecord RefereedGame::Play(const std::string& startText, int round) {
  record_ = GameRecord();
  record_.White = Name(0);
  record_.Black = Name(1);
  record_.Round = round;
  uciMoves_.clear();
  scores_.clear();
  std::string problem;
  if (!position_.Set(startText, &problem)) {
    record_.StartFen = startText;
    record_.Reason = "no position to start from (" + problem + ")";
    record_.Termination = "abandoned";
    return record_;
  }
  startFen_ = position_.Fen();
  record_.StartFen = startFen_;
  record_.FromStandardStart = startFen_ == StandardStart;
  clockMs_[0] = clockMs_[1] = settings_.BaseMs;

  for (int side = 0; side < 2; side++) {
    UciPlayer& player = *players_[side];
    bool ready = player.Running() || player.Start(settings_.AnswerTimeoutMs, &problem);
    ready = ready && player.NewGame(settings_.AnswerTimeoutMs, &problem);
    if (!ready) {
      player.End();
      Lose(side, "could not start a game: " + problem, "abandoned");
      return record_;
    }
  }

  for (;;) {
    const Ending ending = position_.GameEnd();
    if (ending == Ending::Checkmate) {
      record_.Result = position_.Side() == 0 ? GameResult::BlackWins : GameResult::WhiteWins;
      record_.Reason = std::string(ColourName[position_.Side() ^ 1]) + " mates";
      return record_;
    }
    if (ending != Ending::None) {
      record_.Result = GameResult::Draw;
      record_.Reason = DrawReason(ending);
      return record_;
    }
    const int side = position_.Side();
    Answer answer;
    if (!Think(side, &answer)) return record_;
    LegalMove move;
    if (!position_.FindMove(answer.Move, &move)) {
      Lose(side, "illegal move " + (answer.Move.empty() ? std::string("(none)") : answer.Move), "rules infraction");
      return record_;
    }
    record_.SanMoves.push_back(position_.San(move));
    uciMoves_.push_back(answer.Move);
    position_.Play(move);
    scores_.push_back(!answer.HasScore ? NoScore : side == 0 ? answer.Score : -answer.Score);
    if (Adjudicate()) return record_;
  }
}

bool RefereedGame::Think(int side, Answer* answer) {
  UciPlayer& player = *players_[side];
  std::string position = "position fen " + startFen_;
  if (!uciMoves_.empty()) {
    position += " moves";
    for (const std::string& m : uciMoves_) position += ' ' + m;
  }
  player.Send(position);
  std::string go;
  if (settings_.Nodes > 0) {
    go = "go nodes " + std::to_string(settings_.Nodes);
  } else {
    go = "go wtime " + std::to_string(clockMs_[0]) + " btime " + std::to_string(clockMs_[1]) + " winc " +
         std::to_string(settings_.IncrementMs) + " binc " + std::to_string(settings_.IncrementMs);
  }
  const long long start = UciPlayer::NowMs();
  player.Send(go);
  const long long deadline = settings_.Nodes > 0 ? start + settings_.NodesMoveTimeoutMs
                                                 : start + clockMs_[side] + settings_.TimeMarginMs;
  bool lineFaulted = false;
  std::string line;
  for (;;) {
    switch (player.ReadLine(&line, deadline)) {
      case UciPlayer::Reading::TimedOut:
        player.End();
        if (settings_.Nodes > 0) {
          Lose(side, "no bestmove within " + std::to_string(settings_.NodesMoveTimeoutMs) + " ms", "abandoned");
        } else {
          Lose(side, "lost on time: no bestmove within " + std::to_string(clockMs_[side]) + " ms and the margin of " +
                         std::to_string(settings_.TimeMarginMs) + " ms",
               "time forfeit");
        }
        return false;
      case UciPlayer::Reading::Closed:
        player.End();
        Lose(side, "the engine exited (crash) while thinking", "abandoned");
        return false;
      case UciPlayer::Reading::Line:
        break;
    }
    const std::vector<std::string> words = Words(line);
    if (words.empty()) continue;
    if (words[0] == "info") {
      // A message is free text: its words are no fields.
      if (words.size() > 1 && words[1] == "string") continue;
      bool first = true;
      for (size_t i = 1; i + 1 < words.size(); i++)
        if (words[i] == "multipv" && words[i + 1] != "1") first = false;
      if (!first) continue;
      for (size_t i = 1; i + 2 < words.size(); i++) {
        if (words[i] != "score") continue;
        long long value;
        if (!ToInt(words[i + 2], &value)) break;
        if (words[i + 1] == "cp") {
          answer->HasScore = true;
          answer->Score = (int)value;
        } else if (words[i + 1] == "mate") {
          answer->HasScore = true;
          answer->Score = value > 0 ? UciMateScore - (int)value : -UciMateScore - (int)value;
        }
        break;
      }
      for (size_t i = 1; i < words.size() && !lineFaulted; i++) {
        if (words[i] != "pv") continue;
        const std::vector<std::string> pv(words.begin() + (long)i + 1, words.end());
        const int wrong = position_.FirstIllegal(pv);
        if (wrong >= 0) {
          std::string text;
          for (const std::string& m : pv) text += (text.empty() ? "" : " ") + m;
          Fault(side, "illegal move " + pv[wrong] + " in the principal variation \"" + text + "\"");
          lineFaulted = true;
        }
        break;
      }
      continue;
    }
    if (words[0] != "bestmove") continue;
    answer->Move = words.size() > 1 ? words[1] : "";
    if (settings_.Nodes > 0) return true;
    const long long used = UciPlayer::NowMs() - start;
    clockMs_[side] -= used;
    if (clockMs_[side] < -settings_.TimeMarginMs) {
      Lose(side, "lost on time: answered after " + std::to_string(used) + " ms", "time forfeit");
      return false;
    }
    if (clockMs_[side] < 0) clockMs_[side] = 0;
    clockMs_[side] += settings_.IncrementMs;
    return true;
  }
}

void RefereedGame::Fault(int side, const std::string& what) {
  const std::string moves = record_.MoveText();
  record_.Faults.push_back(Name(side) + " (" + ColourName[side] + "): " + what + "; from " + record_.StartFen +
                           " after " + (moves.empty() ? std::string("no moves") : moves));
}

void RefereedGame::Lose(int side, const std::string& why, const char* termination) {
  Fault(side, why);
  record_.Result = side == 0 ? GameResult::BlackWins : GameResult::WhiteWins;
  record_.Reason = std::string(ColourName[side]) + " (" + Name(side) + ") " + why;
  record_.Termination = termination;
}

bool RefereedGame::Adjudicate() {
  const size_t plies = scores_.size();
  const auto lastAll = [&](size_t count, auto holds) {
    if (count == 0 || plies < count) return false;
    for (size_t i = plies - count; i < plies; i++)
      if (scores_[i] == NoScore || !holds(scores_[i])) return false;
    return true;
  };
  const size_t resign = 2 * (size_t)settings_.ResignMoves;
  if (lastAll(resign, [&](int s) { return s >= settings_.ResignScore; })) {
    record_.Result = GameResult::WhiteWins;
    record_.Reason = "Black resigns (both engines' scores)";
    record_.Termination = "adjudication";
    return true;
  }
  if (lastAll(resign, [&](int s) { return s <= -settings_.ResignScore; })) {
    record_.Result = GameResult::BlackWins;
    record_.Reason = "White resigns (both engines' scores)";
    record_.Termination = "adjudication";
    return true;
  }
  const size_t draw = 2 * (size_t)settings_.DrawMoves;
  if (position_.FullMoveNumber() >= settings_.DrawFrom &&
      lastAll(draw, [&](int s) { return std::abs(s) <= settings_.DrawScore; })) {
    record_.Result = GameResult::Draw;
    record_.Reason = "draw by both engines' scores";
    record_.Termination = "adjudication";
    return true;
  }
  return false;
}
