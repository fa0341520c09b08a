// Fuzz target: a PGN file, as "-annotate" reads it. Whatever the text, the
// reader ends, and every game it reads whole is written back as the
// annotation writes it (with a made-up analysis: every other move marked,
// with a legal move as its better line) and reads in again to the same
// tags, moves and result.
#include <cstdlib>
#include <string>
#include <vector>

#include "fuzz/FuzzSupport.h"
#include "movegen/SANText.h"
#include "tools/GameAnnotator.h"
#include "tools/PGNReader.h"

namespace {
std::string Normalised(std::string value) {
  for (char& c : value) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return value;
}

void CheckRoundTrip(const PGNGame& game) {
  std::vector<MoveAnalysis> analysis(game.Moves.size());
  ChessBoard b = game.Start;
  for (size_t i = 0; i < game.Moves.size(); i++) {
    MoveAnalysis& a = analysis[i];
    a.Best = (int)(i * 997 % 4001) - 2000;
    a.Played = a.Best - 800;
    if (i % 2 == 1) {
      a.Mark = MoveMark::Mistake;
      const std::vector<LegalMove> legal = LegalMoves(b);
      if (!legal.empty()) a.Line.push_back(legal[i % legal.size()]);
    }
    PlayLegalMove(&b, game.Moves[i].Move);
  }
  const GameAnnotator annotator(AnnotationSettings{});
  const std::string text = annotator.Write(game, analysis);

  PGNReader again(text);
  PGNGame copy;
  if (!again.Next(&copy) || !copy.Error.empty()) abort();
  if (copy.Moves.size() != game.Moves.size() || copy.Result != game.Result) abort();
  for (size_t i = 0; i < game.Moves.size(); i++) {
    const LegalMove &x = game.Moves[i].Move, &y = copy.Moves[i].Move;
    if (x.From != y.From || x.To != y.To || x.Promote != y.Promote) abort();
  }
  for (const auto& tag : game.Tags) {
    const std::string* kept = copy.Tag(tag.first.c_str());
    if (kept == nullptr) abort();
  }
  for (size_t t = 0; t < game.Tags.size(); t++) {
    if (copy.Tags[t].first != game.Tags[t].first || copy.Tags[t].second != Normalised(game.Tags[t].second)) abort();
  }
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInit();
  PGNReader reader(std::string(reinterpret_cast<const char*>(data), size));
  PGNGame game;
  for (int n = 0; reader.Next(&game); n++) {
    // Each game takes at least one byte of the text.
    if ((size_t)n > size) abort();
    if (game.Error.empty()) CheckRoundTrip(game);
  }
  return 0;
}
