#include "scripts/runner/MatchOptions.h"

#include <cstdlib>
#include <thread>

namespace {
bool Number(const std::string& text, double* value) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = strtod(text.c_str(), &end);
  return *end == 0;
}

bool Whole(const std::string& text, long long* value, long long least) {
  if (text.empty()) return false;
  char* end = nullptr;
  *value = strtoll(text.c_str(), &end, 10);
  return *end == 0 && *value >= least;
}

// "key=value" split at its first '='.
bool KeyValue(const std::string& word, std::string* key, std::string* value) {
  const size_t at = word.find('=');
  if (at == std::string::npos || at == 0) return false;
  *key = word.substr(0, at);
  *value = word.substr(at + 1);
  return true;
}

bool IsFlag(const std::string& word) { return word.size() > 2 && word.compare(0, 2, "--") == 0; }
}  // namespace

const char* MatchOptions::Usage() {
  return "usage: vorn-games --engine cmd=PROGRAM [arg=ARG]... [name=NAME] [option.NAME=VALUE]...\n"
         "                  --engine ... (the second engine, the same way)\n"
         "                  [--tc SECONDS+INCREMENT | --nodes N] [--concurrency N]\n"
         "                  [--openings FILE] [--rounds N | --games N] [--pgn FILE]\n"
         "                  [--sprt elo0=0 elo1=5 alpha=0.05 beta=0.05]\n"
         "                  [--resign score=600 moves=4] [--draw score=10 moves=8 from=40]\n"
         "                  [--margin MS] [--timeout MS] [--nodes-timeout MS]\n";
}

std::string MatchOptions::Read(const std::vector<std::string>& arguments) {
  const unsigned cores = std::thread::hardware_concurrency();
  Concurrency = cores > 0 ? (int)cores : 1;
  int engines = 0;
  for (size_t i = 0; i < arguments.size();) {
    const std::string flag = arguments[i++];
    // The words after a flag up to the next flag.
    std::vector<std::string> values;
    while (i < arguments.size() && !IsFlag(arguments[i])) values.push_back(arguments[i++]);
    const auto single = [&](std::string* value) {
      if (values.size() != 1) return false;
      *value = values[0];
      return true;
    };
    std::string value, key;
    long long whole;
    double number;

    if (flag == "--engine") {
      if (engines == 2) return "more than two engines";
      EngineSetup& engine = Engines[engines++];
      for (const std::string& word : values) {
        if (!KeyValue(word, &key, &value)) return "--engine: " + word + " is no key=value";
        if (key == "cmd") engine.Command = value;
        else if (key == "arg") engine.Arguments.push_back(value);
        else if (key == "name") engine.Name = value;
        else if (key.compare(0, 7, "option.") == 0 && key.size() > 7) engine.Options.emplace_back(key.substr(7), value);
        else return "--engine: unknown key " + key;
      }
      if (engine.Command.empty()) return "--engine needs cmd=PROGRAM";
      if (engine.Name.empty()) {
        const size_t slash = engine.Command.rfind('/');
        engine.Name = slash == std::string::npos ? engine.Command : engine.Command.substr(slash + 1);
      }
    } else if (flag == "--tc") {
      if (!single(&value)) return "--tc needs SECONDS+INCREMENT";
      const size_t plus = value.find('+');
      double base, increment = 0;
      if (!Number(value.substr(0, plus), &base) || base <= 0 ||
          (plus != std::string::npos && (!Number(value.substr(plus + 1), &increment) || increment < 0)))
        return "--tc " + value + ": not SECONDS+INCREMENT";
      Game.BaseMs = (long long)(base * 1000 + 0.5);
      Game.IncrementMs = (long long)(increment * 1000 + 0.5);
      Game.Nodes = 0;
    } else if (flag == "--nodes") {
      if (!single(&value) || !Whole(value, &whole, 1)) return "--nodes needs a number of nodes";
      Game.Nodes = whole;
    } else if (flag == "--concurrency") {
      if (!single(&value) || !Whole(value, &whole, 1) || whole > 256) return "--concurrency needs 1 to 256";
      Concurrency = (int)whole;
    } else if (flag == "--openings") {
      if (!single(&OpeningsPath)) return "--openings needs a file";
    } else if (flag == "--rounds" || flag == "--games") {
      if (!single(&value) || !Whole(value, &whole, 1)) return flag + " needs a number";
      Pairs = flag == "--rounds" ? whole : (whole + 1) / 2;
    } else if (flag == "--pgn") {
      if (!single(&PgnPath)) return "--pgn needs a file";
    } else if (flag == "--margin" || flag == "--timeout" || flag == "--nodes-timeout") {
      if (!single(&value) || !Whole(value, &whole, 0) || whole > 3600000) return flag + " needs milliseconds";
      if (flag == "--margin") Game.TimeMarginMs = whole;
      else if (flag == "--timeout") Game.AnswerTimeoutMs = (int)whole;
      else Game.NodesMoveTimeoutMs = (int)whole;
    } else if (flag == "--sprt") {
      RunSprt = true;
      for (const std::string& word : values) {
        if (!KeyValue(word, &key, &value) || !Number(value, &number)) return "--sprt: " + word + " is no key=number";
        if (key == "elo0") Elo0 = number;
        else if (key == "elo1") Elo1 = number;
        else if (key == "alpha") Alpha = number;
        else if (key == "beta") Beta = number;
        else return "--sprt: unknown key " + key;
      }
      if (!(Elo1 > Elo0)) return "--sprt: elo1 must be above elo0";
      if (!(Alpha > 0 && Alpha < 0.5 && Beta > 0 && Beta < 0.5)) return "--sprt: alpha and beta lie between 0 and 0.5";
    } else if (flag == "--resign" || flag == "--draw") {
      const bool resign = flag == "--resign";
      if (resign) Game.ResignMoves = 4;
      else Game.DrawMoves = 8;
      for (const std::string& word : values) {
        if (!KeyValue(word, &key, &value) || !Whole(value, &whole, 0) || whole > 1000000)
          return flag + ": " + word + " is no key=number";
        if (key == "score") (resign ? Game.ResignScore : Game.DrawScore) = (int)whole;
        else if (key == "moves" && whole > 0) (resign ? Game.ResignMoves : Game.DrawMoves) = (int)whole;
        else if (key == "from" && !resign) Game.DrawFrom = (int)whole;
        else return flag + ": " + word + " is no setting of it";
      }
    } else {
      return "unknown argument " + flag;
    }
  }
  if (engines != 2) return "two engines are needed (--engine twice)";
  return "";
}
