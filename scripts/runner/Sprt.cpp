#include "scripts/runner/Sprt.h"

#include <cmath>
#include <limits>

namespace {
// The pseudo-count of each pentanomial outcome in the variance (Jeffreys).
constexpr double Smoothing = 0.5;
// The normal quantile of a two-sided 95% interval.
constexpr double Z95 = 1.959964;
}  // namespace

Sprt::Sprt(double elo0, double elo1, double alpha, double beta)
    : elo0_(elo0), elo1_(elo1), alpha_(alpha), beta_(beta) {}

void Sprt::AddPair(int halfPoints) {
  if (halfPoints >= 0 && halfPoints <= 4) counts_[halfPoints]++;
}

long long Sprt::Pairs() const {
  long long n = 0;
  for (long long c : counts_) n += c;
  return n;
}

double Sprt::LowerBound() const { return std::log(beta_ / (1 - alpha_)); }
double Sprt::UpperBound() const { return std::log((1 - beta_) / alpha_); }

double Sprt::ScoreOfElo(double elo) { return 1 / (1 + std::pow(10.0, -elo / 400)); }

double Sprt::EloOfScore(double score) {
  if (score <= 0) return -std::numeric_limits<double>::infinity();
  if (score >= 1) return std::numeric_limits<double>::infinity();
  return -400 * std::log10(1 / score - 1);
}

double Sprt::Variance() const {
  const double total = (double)Pairs() + 5 * Smoothing;
  double mean = 0, square = 0;
  for (int k = 0; k < 5; k++) {
    const double p = (counts_[k] + Smoothing) / total, x = k / 4.0;
    mean += p * x;
    square += p * x * x;
  }
  return square - mean * mean;
}

double Sprt::Llr() const {
  const long long n = Pairs();
  if (n == 0) return 0;
  const double s0 = ScoreOfElo(elo0_), s1 = ScoreOfElo(elo1_);
  return n * (s1 - s0) * (2 * Score() - s0 - s1) / (2 * Variance());
}

Sprt::Verdict Sprt::Decide() const {
  const double llr = Llr();
  if (llr >= UpperBound()) return Verdict::AcceptH1;
  if (llr <= LowerBound()) return Verdict::AcceptH0;
  return Verdict::Continue;
}

double Sprt::Score() const {
  const long long n = Pairs();
  if (n == 0) return 0.5;
  double points = 0;
  for (int k = 0; k < 5; k++) points += counts_[k] * (k / 4.0);
  return points / n;
}

double Sprt::Elo() const { return EloOfScore(Score()); }

double Sprt::EloMargin() const {
  const long long n = Pairs();
  if (n == 0) return std::numeric_limits<double>::infinity();
  const double spread = Z95 * std::sqrt(Variance() / n), score = Score();
  return (EloOfScore(score + spread) - EloOfScore(score - spread)) / 2;
}
