#include "board/Chess960Start.h"

#include <cctype>

namespace {
// Where the two knights stand among the five squares left after the
// bishops and the queen, for the number's last digit.
constexpr int KnightPlaces[10][2] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {1, 2}, {1, 3}, {1, 4}, {2, 3}, {2, 4}, {3, 4}};

// Puts the man on the `nth` empty file of the rank (counted from a).
void PlaceOnEmpty(std::string& rank, int nth, char man) {
  for (char& square : rank) {
    if (square != ' ') continue;
    if (nth-- == 0) {
      square = man;
      return;
    }
  }
}
}  // namespace

// The number's digits, lowest first: the bishop on a light square (b, d,
// f or h), the bishop on a dark square (a, c, e or g), the queen on one of
// the six files left, the knights on two of the five left; the rooks and
// the king between them fill the last three.
std::string Chess960FirstRank(int number) {
  std::string rank(8, ' ');
  int n = number < 0 || number > 959 ? 518 : number;
  rank[2 * (n % 4) + 1] = 'B';
  n /= 4;
  rank[2 * (n % 4)] = 'B';
  n /= 4;
  PlaceOnEmpty(rank, n % 6, 'Q');
  n /= 6;
  // The further knight first: the nearer one's place counts the same.
  PlaceOnEmpty(rank, KnightPlaces[n][1], 'N');
  PlaceOnEmpty(rank, KnightPlaces[n][0], 'N');
  PlaceOnEmpty(rank, 0, 'R');
  PlaceOnEmpty(rank, 0, 'K');
  PlaceOnEmpty(rank, 0, 'R');
  return rank;
}

std::string Chess960Fen(int number, CastlingStyle style) {
  const std::string white = Chess960FirstRank(number);
  std::string black = white;
  for (char& man : black) man = (char)tolower(man);
  std::string rights = "KQkq";
  if (style == CastlingStyle::Files) {
    const size_t queenRook = white.find('R'), kingRook = white.rfind('R');
    rights = {(char)('A' + kingRook), (char)('A' + queenRook), (char)('a' + kingRook), (char)('a' + queenRook)};
  }
  return black + "/pppppppp/8/8/8/8/PPPPPPPP/" + white + " w " + rights + " - 0 1";
}
