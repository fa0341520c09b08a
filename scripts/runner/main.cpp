// vorn-games: plays two UCI engines against each other over pipes, game
// pairs from a file of openings, with an optional SPRT; see the README.
#include <cstdio>
#include <string>
#include <vector>

#include "scripts/runner/Match.h"
#include "scripts/runner/MatchOptions.h"

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "-h")) {
    std::fputs(MatchOptions::Usage(), stdout);
    return 0;
  }
  MatchOptions options;
  const std::string wrong = options.Read(arguments);
  if (!wrong.empty()) {
    std::fprintf(stderr, "vorn-games: %s\n%s", wrong.c_str(), MatchOptions::Usage());
    return 2;
  }
  Match match(options, stdout);
  std::string problem;
  if (!match.Run(&problem)) {
    std::fprintf(stderr, "vorn-games: %s\n", problem.c_str());
    return 1;
  }
  return 0;
}
