// The sequential probability ratio test on game pairs, pentanomial model:
// each pair (one opening, both colours) scores 0, 0.5, 1, 1.5 or 2 for the
// first engine, and the test weighs the hypothesis that the first engine is
// elo1 stronger against the one that it is elo0 stronger.
//
// The mathematics. Let x be a pair's score divided by two, so x is in
// {0, 1/4, 1/2, 3/4, 1}, with mean mu and variance sigma^2 over the pairs
// to come. The logistic Elo model ties a difference d to an expected score
// s(d) = 1 / (1 + 10^(-d/400)). Write s0 = s(elo0), s1 = s(elo1). Over N
// pairs the mean of x is close to normal with variance sigma^2 / N, and
// for a normal sample of known variance the log-likelihood ratio of mean
// s1 against mean s0 is
//   sum_i [(x_i - s0)^2 - (x_i - s1)^2] / (2 sigma^2)
//     = N (s1 - s0) (2 xbar - s0 - s1) / (2 sigma^2).
// The test takes xbar from the pairs seen and sigma^2 from their
// pentanomial frequencies (the generalised test), so it needs no model of
// draws. It accepts H1 once LLR >= log((1 - beta) / alpha) and H0 once
// LLR <= log(beta / (1 - alpha)), Wald's bounds for error rates alpha and
// beta. The variance of a few pairs is a poor guess, and zero while every
// pair has ended alike (two pairs won 2-0 would decide the test): its
// frequencies are taken as (n_k + 1/2) / (N + 5/2), the mean of the
// Jeffreys prior of a five-outcome multinomial updated by the counts,
// which matters little once there are hundreds of pairs.
//
// The Elo estimate inverts s at the mean, and its 95% margin is half the
// distance between the inverses at mean -/+ 1.96 sigma / sqrt(N).
#pragma once
#include <array>
#include <string>

class Sprt {
 public:
  enum class Verdict { Continue, AcceptH0, AcceptH1 };

  Sprt(double elo0, double elo1, double alpha, double beta);
  // A pair's score for the first engine in half points, 0 to 4.
  void AddPair(int halfPoints);
  void SetCounts(const std::array<long long, 5>& counts) { counts_ = counts; }
  const std::array<long long, 5>& Counts() const { return counts_; }
  long long Pairs() const;

  double LowerBound() const;
  double UpperBound() const;
  double Llr() const;
  Verdict Decide() const;
  // The mean pair score per game (0 to 1) and the Elo difference it means,
  // with the 95% margin; infinite at a score of 0 or 1.
  double Score() const;
  double Elo() const;
  double EloMargin() const;

  // Expected score of an Elo difference, and its inverse.
  static double ScoreOfElo(double elo);
  static double EloOfScore(double score);

 private:
  // The variance of x from the smoothed frequencies.
  double Variance() const;

  double elo0_, elo1_, alpha_, beta_;
  std::array<long long, 5> counts_{};
};
