#include "scripts/runner/Match.h"

#include <cmath>
#include <thread>

#include "board/PositionText.h"
#include "scripts/runner/GamePosition.h"
#include "scripts/runner/RefereedGame.h"
#include "scripts/runner/UciPlayer.h"

namespace {
constexpr const char* StartPosition = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// The openings of a file, one a line; blank lines and lines starting with
// '#' are left out. "" or what is wrong with the file.
std::string ReadOpenings(const std::string& path, std::vector<std::string>* openings) {
  std::FILE* file = std::fopen(path.c_str(), "r");
  if (file == nullptr) return path + ": cannot be read";
  std::string line, problem;
  int number = 0;
  while (ReadTextLine(file, &line)) {
    number++;
    if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
    GamePosition position;
    if (!position.Set(line, &problem)) {
      std::fclose(file);
      return path + ":" + std::to_string(number) + ": " + problem;
    }
    openings->push_back(line);
  }
  std::fclose(file);
  if (openings->empty()) return path + ": no openings";
  return "";
}

std::string Signed(double value, int decimals) {
  if (std::isinf(value)) return value > 0 ? "+inf" : "-inf";
  value += 0.0;  // no "-0.0"
  char text[32];
  snprintf(text, sizeof text, "%+.*f", decimals, value);
  return text;
}
}  // namespace

bool Match::Run(std::string* problem) {
  if (options_.OpeningsPath.empty()) {
    openings_.push_back(StartPosition);
  } else {
    *problem = ReadOpenings(options_.OpeningsPath, &openings_);
    if (!problem->empty()) return false;
  }
  // An engine that cannot even start would lose every game, quietly.
  for (const EngineSetup& engine : options_.Engines) {
    UciPlayer trial(engine);
    std::string why;
    if (!trial.Start(options_.Game.AnswerTimeoutMs, &why)) {
      *problem = engine.Name + " (" + engine.Command + ") does not start: " + why;
      return false;
    }
  }
  if (!pgn_.Open(options_.PgnPath, problem)) return false;
  // Without a count: every opening once, or, under a test, as long as it
  // takes (the openings over again).
  pairs_ = options_.Pairs > 0 ? options_.Pairs : options_.RunSprt ? -1 : (long long)openings_.size();

  const int threads = options_.Concurrency;
  std::vector<std::thread> workers;
  for (int i = 0; i < threads; i++) workers.emplace_back([this] { Worker(); });
  for (std::thread& t : workers) t.join();

  std::lock_guard<std::mutex> lock(mutex_);
  std::fprintf(out_, "Finished: %s vs %s, ", options_.Engines[0].Name.c_str(), options_.Engines[1].Name.c_str());
  PrintTally();
  if (options_.RunSprt) {
    switch (sprt_.Decide()) {
      case Sprt::Verdict::AcceptH1: std::fprintf(out_, "SPRT: H1 accepted (elo1 = %g)\n", options_.Elo1); break;
      case Sprt::Verdict::AcceptH0: std::fprintf(out_, "SPRT: H0 accepted (elo0 = %g)\n", options_.Elo0); break;
      case Sprt::Verdict::Continue: std::fprintf(out_, "SPRT: no verdict\n"); break;
    }
  }
  std::fprintf(out_, "Faults: %lld\n", faults_);
  std::fflush(out_);
  return true;
}

void Match::Worker() {
  UciPlayer first(options_.Engines[0]), second(options_.Engines[1]);
  for (;;) {
    long long pair;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (stop_ || (pairs_ >= 0 && nextPair_ >= pairs_)) return;
      pair = nextPair_++;
    }
    const std::string& opening = openings_[(size_t)(pair % (long long)openings_.size())];
    int halfPoints = 0;
    bool whole = true;
    for (int game = 0; game < 2; game++) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_) whole = false;
      }
      if (!whole) break;
      const bool firstIsWhite = game == 0;
      RefereedGame referee(options_.Game, firstIsWhite ? &first : &second, firstIsWhite ? &second : &first);
      const long long number = 2 * pair + game + 1;
      const GameRecord record = referee.Play(opening, (int)number);
      int points = 1;  // half points of the first engine
      if (record.Result == GameResult::WhiteWins) points = firstIsWhite ? 2 : 0;
      if (record.Result == GameResult::BlackWins) points = firstIsWhite ? 0 : 2;
      if (record.Result == GameResult::Unfinished) whole = false;
      halfPoints += points;
      GameEnded(record, number, points);
      if (!whole) break;
    }
    if (whole) PairEnded(halfPoints);
  }
}

void Match::GameEnded(const GameRecord& game, long long gameNumber, int firstEnginePoints) {
  pgn_.Write(game);
  std::lock_guard<std::mutex> lock(mutex_);
  std::fprintf(out_, "Game %lld: %s - %s %s {%s}\n", gameNumber, game.White.c_str(), game.Black.c_str(),
               game.ResultText(), game.Reason.c_str());
  for (const std::string& fault : game.Faults) std::fprintf(out_, "FAULT in game %lld: %s\n", gameNumber, fault.c_str());
  faults_ += (long long)game.Faults.size();
  if (game.Result != GameResult::Unfinished) wdl_[firstEnginePoints == 2 ? 0 : firstEnginePoints == 1 ? 1 : 2]++;
  std::fflush(out_);
}

void Match::PairEnded(int halfPoints) {
  std::lock_guard<std::mutex> lock(mutex_);
  // Pairs that end after the verdict are not counted: the test stopped.
  if (stop_) return;
  sprt_.AddPair(halfPoints);
  PrintTally();
  if (options_.RunSprt && sprt_.Decide() != Sprt::Verdict::Continue) stop_ = true;
  std::fflush(out_);
}

void Match::PrintTally() {
  const auto& c = sprt_.Counts();
  std::fprintf(out_, "games %lld: +%lld =%lld -%lld, pairs [%lld %lld %lld %lld %lld], score %.1f%%, Elo %s +/- %s",
               wdl_[0] + wdl_[1] + wdl_[2], wdl_[0], wdl_[1], wdl_[2], c[0], c[1], c[2], c[3], c[4],
               100 * sprt_.Score(), Signed(sprt_.Elo(), 1).c_str(), Signed(sprt_.EloMargin(), 1).substr(1).c_str());
  if (options_.RunSprt)
    std::fprintf(out_, ", LLR %.2f (%.2f, %.2f)", sprt_.Llr(), sprt_.LowerBound(), sprt_.UpperBound());
  std::fprintf(out_, "\n");
}
