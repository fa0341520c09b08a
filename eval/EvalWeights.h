// The weights the evaluation driver applies in its own steps (the terms'
// own tables live beside the terms), read also by the breakdown by term
// that shows them one by one.
#pragma once

namespace evalweight {
// The pawn gains up to this much as pieces come off.
constexpr int PawnEndingBonus = 200;
// The passed-pawn score in tenths: middle game and ending.
constexpr int PasserMg = 13, PasserEg = 19;
// An enemy pawn on the colour of a lone bishop, safe from it.
constexpr int PawnOnBishopColour = 50;
// A queen on the seventh (or eighth) where the rooks' bonus applies.
constexpr int QueenOnSeventh = 200;
// A centre pawn on its home square that shuts in its own bishop.
constexpr int BlockedCentrePawn = 90;
// A square of the centre attacked by a knight, bishop or rook.
constexpr int CentreAttack = 30;
// A piece (the king among them) that no own man defends.
constexpr int UndefendedMan = 50;
constexpr int MatingMaterialBonus = 800;
// A minor piece against pawns alone rarely wins.
constexpr int MinorAgainstPawns = 1100;
// The lazy exits: the score so far this far outside the window ends the
// evaluation.
constexpr int LazyMargin1 = 6000, LazyMargin2 = 2000;
}  // namespace evalweight
