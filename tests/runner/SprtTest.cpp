// The SPRT on game pairs against outcomes whose answer is known by hand.
#include "scripts/runner/Sprt.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
Sprt WithCounts(const std::array<long long, 5>& counts, double elo0 = 0, double elo1 = 5) {
  Sprt test(elo0, elo1, 0.05, 0.05);
  test.SetCounts(counts);
  return test;
}
}  // namespace

TEST(SprtTest, WaldBoundsOfTheErrorRates) {
  Sprt test(0, 5, 0.05, 0.05);
  EXPECT_NEAR(test.UpperBound(), std::log(19.0), 1e-12);
  EXPECT_NEAR(test.LowerBound(), -std::log(19.0), 1e-12);
  Sprt lopsided(0, 5, 0.1, 0.2);
  EXPECT_NEAR(lopsided.UpperBound(), std::log(0.8 / 0.1), 1e-12);
  EXPECT_NEAR(lopsided.LowerBound(), std::log(0.2 / 0.9), 1e-12);
}

TEST(SprtTest, ScoreAndEloAreInverses) {
  for (double elo : {-400.0, -35.5, 0.0, 5.0, 191.0, 800.0})
    EXPECT_NEAR(Sprt::EloOfScore(Sprt::ScoreOfElo(elo)), elo, 1e-9) << elo;
  EXPECT_NEAR(Sprt::ScoreOfElo(400), 10.0 / 11.0, 1e-12);
  EXPECT_TRUE(std::isinf(Sprt::EloOfScore(1.0)) && Sprt::EloOfScore(1.0) > 0);
  EXPECT_TRUE(std::isinf(Sprt::EloOfScore(0.0)) && Sprt::EloOfScore(0.0) < 0);
}

// Half the pairs a win and a draw (1.5), half two draws (1): pair scores
// 3/4 and 1/2 per game, mean 5/8, variance 1/64, worked by hand (so many
// pairs that the prior on the variance is lost in them).
TEST(SprtTest, ClosedFormOfTwoOutcomes) {
  const long long n = 100000;
  const Sprt test = WithCounts({0, 0, n / 2, n / 2, 0});
  const double s0 = 0.5, s1 = 1 / (1 + std::pow(10.0, -5.0 / 400));
  const double expected = n * (s1 - s0) * (2 * 0.625 - s0 - s1) / (2 * (1.0 / 64));
  EXPECT_NEAR(test.Score(), 0.625, 1e-12);
  EXPECT_NEAR(test.Elo(), -400 * std::log10(1 / 0.625 - 1), 1e-9);
  EXPECT_NEAR(test.Llr(), expected, std::fabs(expected) * 1e-3);
  EXPECT_EQ(test.Decide(), Sprt::Verdict::AcceptH1) << test.Llr();
}

TEST(SprtTest, EqualResultsGiveEloZeroAndLeanToH0) {
  const Sprt test = WithCounts({3, 20, 54, 20, 3});
  EXPECT_NEAR(test.Elo(), 0, 1e-9);
  EXPECT_LT(test.Llr(), 0);
  EXPECT_GT(test.EloMargin(), 0);
  // Four times the pairs: the ratio moves on toward H0, about four times
  // as far.
  const Sprt more = WithCounts({12, 80, 216, 80, 12});
  EXPECT_NEAR(more.Llr() / test.Llr(), 4, 0.2);
  EXPECT_LT(more.EloMargin(), test.EloMargin());
}

TEST(SprtTest, SwappingTheEnginesNegatesTheElo) {
  const Sprt first = WithCounts({5, 20, 50, 15, 10});
  const Sprt second = WithCounts({10, 15, 50, 20, 5});
  EXPECT_GT(first.Elo(), 0);
  EXPECT_NEAR(second.Elo(), -first.Elo(), 1e-9);
  EXPECT_NEAR(second.EloMargin(), first.EloMargin(), 1e-9);
  // Between the hypotheses -5 and +5 the swap mirrors the ratio too.
  EXPECT_NEAR(WithCounts({10, 15, 50, 20, 5}, -5, 5).Llr(), -WithCounts({5, 20, 50, 15, 10}, -5, 5).Llr(), 1e-9);
}

TEST(SprtTest, VerdictsOfClearAndUnclearResults) {
  const struct {
    std::array<long long, 5> counts;
    Sprt::Verdict verdict;
  } cases[] = {
      {{0, 0, 0, 0, 0}, Sprt::Verdict::Continue},
      {{1, 2, 3, 2, 1}, Sprt::Verdict::Continue},
      {{4, 40, 120, 120, 40}, Sprt::Verdict::AcceptH1},   // far stronger
      {{40, 120, 120, 40, 4}, Sprt::Verdict::AcceptH0},   // far weaker
      {{150, 1000, 2700, 1000, 150}, Sprt::Verdict::AcceptH0},  // equal, many pairs
      {{0, 0, 400, 0, 0}, Sprt::Verdict::AcceptH0},       // every pair alike
      {{0, 0, 0, 0, 2}, Sprt::Verdict::Continue},         // two pairs decide nothing
      {{0, 0, 0, 0, 40}, Sprt::Verdict::AcceptH1},
  };
  for (const auto& c : cases) {
    const Sprt test = WithCounts(c.counts);
    EXPECT_EQ(test.Decide(), c.verdict) << "counts " << c.counts[0] << " " << c.counts[1] << " " << c.counts[2]
                                        << " " << c.counts[3] << " " << c.counts[4] << ", LLR " << test.Llr();
    EXPECT_TRUE(std::isfinite(test.Llr()));
  }
}

TEST(SprtTest, PairsAddUpByScore) {
  Sprt test(0, 5, 0.05, 0.05);
  for (int points : {0, 1, 2, 2, 3, 4, 4, 4, -1, 5}) test.AddPair(points);
  const std::array<long long, 5> expected = {1, 1, 2, 1, 3};
  EXPECT_EQ(test.Counts(), expected);
  EXPECT_EQ(test.Pairs(), 8);
  EXPECT_NEAR(test.Score(), (0 + 1 + 2 + 2 + 3 + 4 + 4 + 4) / 32.0, 1e-12);
}
