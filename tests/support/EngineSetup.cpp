#include "support/EngineSetup.h"

#include <gtest/gtest.h>

#include "board/ChessBoard.h"
#include "board/HashCodes.h"
#include "board/PositionText.h"
#include "engine/Status.h"
#include "movegen/MoveGen.h"

void EnsureEngineInitialised() {
  static bool done = false;
  if (done) return;
  done = true;
  MainStatus.initVars();
  MainBoard.InitRep();
  initPStable();
  MainBoard.InitRep();
  MainStatus.initVars();
}

ChessBoard& LoadFen(const std::string& fen) {
  EnsureEngineInitialised();
  SetupBoard(fen.c_str());
  MainBoard.FiftyMoveCount = 0;
  MainBoard.InitPieceCounts();
  MainBoard.WhitePieceCount = MainBoard.WhiteCounts[0] + MainBoard.WhiteCounts[1] + MainBoard.WhiteCounts[2] +
                              MainBoard.WhiteCounts[3] + MainBoard.WhiteCounts[4];
  MainBoard.BlackPieceCount = MainBoard.BlackCounts[0] + MainBoard.BlackCounts[1] + MainBoard.BlackCounts[2] +
                              MainBoard.BlackCounts[3] + MainBoard.BlackCounts[4];
  return MainBoard;
}

std::vector<int> LegalMoveIndices(ChessBoard& b, char rights, MoveGen* list) {
  const char side = b.SideToMove;
  const int n = b.InCheck(b.SideKing(side), side) ? list->GenCheckEvasions(side, &b)
                                                  : list->GenerateAllMoves(side, &b, rights);
  std::vector<int> legal;
  for (int i = 0; i < n; i++) {
    ChessBoard trial = b;
    char mask;
    trial.MakeMove(list->from[i], list->to[i], list->promote[i], &mask);
    if (!trial.InCheck(trial.SideKing(side), side)) legal.push_back(i);
  }
  return legal;
}

namespace {
class EngineEnvironment : public ::testing::Environment {
 public:
  void SetUp() override { EnsureEngineInitialised(); }
};
const auto* const registered = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);
}  // namespace
