#include "model/Backprojection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <utility>
#include <vector>

#include "model/Filters.h"

namespace lumo::model {
namespace {

// Every grid point tested at every angle, in the plain order: the picture the fast
// back-projection must reproduce deposit for deposit.
std::vector<Deposit> referenceBackProjection(Accumulator& acc, const PointSource& src, int step,
                                             Strips strips) {
  std::vector<Deposit> out;
  if (step < 1) return out;
  for (int a = 0; a < 360; a += step) {
    const double theta = a * 0.01745277777777778;
    const double c = std::cos(theta), s = std::sin(theta);
    const double p = c * (src.x - 64) + s * (src.y - 64);
    for (int x = 0; x < 128; ++x) {
      for (int y = 0; y < 128; ++y) {
        const double t = c * (x - 64) + s * (y - 64);
        if (p - 0.5 <= t && t <= p + 0.5) {
          acc[x][y] += src.count;
          out.push_back({Strip::Wide, x, y, acc[x][y]});
        }
        if (strips == Strips::WideAndNarrow && p - 0.25 <= t && t <= p + 0.25) {
          acc[x][y] += src.count;
          out.push_back({Strip::Narrow, x, y, acc[x][y]});
        }
      }
    }
  }
  return out;
}

std::vector<Deposit> collect(Accumulator& acc, const PointSource& src, int step, Strips strips) {
  std::vector<Deposit> out;
  backProject(acc, src, step, strips, [&](const Deposit& d) { out.push_back(d); });
  return out;
}

bool sameDeposits(const std::vector<Deposit>& a, const std::vector<Deposit>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].strip != b[i].strip || a[i].x != b[i].x || a[i].y != b[i].y || a[i].sum != b[i].sum)
      return false;
  }
  return true;
}

TEST(Backprojection, ProjectionAnglesStopBelow360AndRefuseStepsBelowOne) {
  EXPECT_EQ(projectionAngles(90), (std::vector<int>{0, 90, 180, 270}));
  EXPECT_EQ(projectionAngles(100), (std::vector<int>{0, 100, 200, 300}));
  EXPECT_EQ(projectionAngles(1).size(), 360u);
  EXPECT_EQ(projectionAngles(7).back(), 357);
  for (int step : {360, 400, 2147483647}) EXPECT_EQ(projectionAngles(step), std::vector<int>{0});
  for (int step : {0, -1, -360, -2147483647 - 1}) EXPECT_TRUE(projectionAngles(step).empty());
}

TEST(Backprojection, RedLevelIsHalfTheSumWrapped) {
  const struct {
    double sum;
    int red;
  } cases[] = {{0, 0},     {1, 0},     {100, 50},  {101, 50}, {200, 100}, {511, 255},
               {512, 0},   {700, 94},  {800, 144}, {1600, 32}, {36000, 80}, {3, 1}};
  for (const auto& c : cases) EXPECT_EQ(redLevel(c.sum), c.red) << "sum " << c.sum;
}

// The quick search over only the rows near each strip gives the very same deposits, in
// the same order, as testing every grid point.
TEST(Backprojection, MatchesTheFullGridSearchDepositForDeposit) {
  const PointSource sources[] = {{64, 64, 100}, {1, 1, 3}, {127, 127, 100}, {30, 90, 7},
                                 {100, 20, 50}, {64, 1, 2}, {127, 64, 1}};
  const int steps[] = {1, 7, 30, 45, 90, 100, 179, 360, 400};
  for (const PointSource& src : sources) {
    for (int step : steps) {
      for (Strips strips : {Strips::WideOnly, Strips::WideAndNarrow}) {
        Accumulator fast = makeAccumulator(), slow = makeAccumulator();
        const auto got = collect(fast, src, step, strips);
        const auto want = referenceBackProjection(slow, src, step, strips);
        EXPECT_TRUE(sameDeposits(got, want))
            << "source (" << src.x << ", " << src.y << ") step " << step << " deposits "
            << got.size() << " vs " << want.size();
        EXPECT_EQ(fast, slow);
      }
    }
  }
}

TEST(Backprojection, CentralPointStarAtStep90And45) {
  struct Case {
    int step;
    double centre;      // sum at the centre
    double onCross;     // sum on the vertical and horizontal lines away from the centre
    double onDiagonal;  // sum on a diagonal away from the centre
  };
  for (const Case& c : {Case{90, 400, 200, 0}, Case{45, 800, 200, 200}}) {
    Accumulator acc = makeAccumulator();
    backProject(acc, {64, 64, 100}, c.step, Strips::WideOnly, nullptr);
    EXPECT_EQ(acc[64][64], c.centre) << "step " << c.step;
    EXPECT_EQ(acc[64][10], c.onCross);
    EXPECT_EQ(acc[10][64], c.onCross);
    EXPECT_EQ(acc[100][100], c.onDiagonal);
    EXPECT_EQ(acc[30][98], c.onDiagonal);  // (-34, 34)
    EXPECT_EQ(acc[70][80], 0);             // off every line
  }
}

TEST(Backprojection, Step30WideStripSelectsMoreGridPointsThanNarrow) {
  Accumulator acc = makeAccumulator();
  std::set<std::pair<int, int>> wide, narrow;
  backProject(acc, {64, 64, 100}, 30, Strips::WideAndNarrow, [&](const Deposit& d) {
    (d.strip == Strip::Wide ? wide : narrow).insert({d.x, d.y});
  });
  EXPECT_EQ(wide.size(), 831u);
  EXPECT_EQ(narrow.size(), 549u);
  for (const auto& p : narrow) EXPECT_TRUE(wide.count(p)) << p.first << ", " << p.second;
}

TEST(Backprojection, NarrowStripDepositsTwiceAndSourcesAdd) {
  // Step 90, one point at the centre: the wide and narrow strips pick the same points,
  // so each hit adds 2 N: 150 and 200 on the cross (as sums 300 and 400 after the
  // narrow deposit), the centre 700 after its last wide deposit, 800 after the narrow.
  Accumulator acc = makeAccumulator();
  std::vector<Deposit> last(2 * 128 * 128, Deposit{Strip::Wide, 0, 0, -1});
  backProject(acc, {64, 64, 100}, 90, Strips::WideAndNarrow, [&](const Deposit& d) {
    last[(d.strip == Strip::Wide ? 0 : 128 * 128) + d.x * 128 + d.y] = d;
  });
  const auto wideAt = [&](int x, int y) { return last[x * 128 + y].sum; };
  const auto narrowAt = [&](int x, int y) { return last[128 * 128 + x * 128 + y].sum; };
  EXPECT_EQ(wideAt(64, 20), 300);
  EXPECT_EQ(narrowAt(64, 20), 400);
  EXPECT_EQ(wideAt(64, 64), 700);
  EXPECT_EQ(narrowAt(64, 64), 800);
  EXPECT_EQ(redLevel(wideAt(64, 64)), 94);
  EXPECT_EQ(redLevel(narrowAt(64, 64)), 144);

  // A second source is added into the same accumulator; at step 360 each source is one
  // column x = X, so two sources on the same column double it.
  Accumulator two = makeAccumulator();
  backProject(two, {40, 10, 30}, 400, Strips::WideAndNarrow, nullptr);
  backProject(two, {40, 100, 20}, 400, Strips::WideAndNarrow, nullptr);
  backProject(two, {90, 5, 9}, 400, Strips::WideAndNarrow, nullptr);
  for (int y : {0, 64, 127}) {
    EXPECT_EQ(two[40][y], 2 * 30 + 2 * 20);
    EXPECT_EQ(two[90][y], 2 * 9);
    EXPECT_EQ(two[41][y], 0);
  }
}

TEST(Backprojection, StepBelowOneDepositsNothing) {
  for (int step : {0, -5}) {
    Accumulator acc = makeAccumulator();
    int deposits = 0;
    backProject(acc, {64, 64, 100}, step, Strips::WideAndNarrow,
                [&](const Deposit&) { ++deposits; });
    EXPECT_EQ(deposits, 0);
    EXPECT_EQ(acc, makeAccumulator());
  }
}

}  // namespace
}  // namespace lumo::model
