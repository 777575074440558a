// The radix sort gives the order of a comparison sort.
#include "builtins/radix_sort.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "base/errors.h"
#include "base/run_context.h"

namespace zirbin::builtins {
namespace {

TEST(RadixSort, DoublesOfEverySignAndSizeMatchAComparisonSort) {
  std::mt19937 random(7);
  std::uniform_real_distribution<double> spread(-1e6, 1e6);
  std::vector<double> v(5000);
  for (double& x : v) x = spread(random);
  v[0] = INFINITY;
  v[1] = -INFINITY;
  v[2] = 0.0;
  v[3] = 1e-310;  // subnormal
  v[4] = -1e-310;
  v[5] = v[6] = 42.0;
  std::vector<double> expected = v;
  std::sort(expected.begin(), expected.end());
  sortAscending(v.data(), v.data() + v.size());
  EXPECT_EQ(v, expected);
}

TEST(RadixSort, NaNsGoLast) {
  std::vector<double> v(1000);
  for (size_t i = 0; i < v.size(); ++i) v[i] = (i % 10 == 0) ? NAN : static_cast<double>(1000 - i);
  sortAscending(v.data(), v.data() + v.size());
  EXPECT_TRUE(std::is_sorted(v.begin(), v.begin() + 900));
  EXPECT_TRUE(std::all_of(v.begin() + 900, v.end(), [](double x) { return std::isnan(x); }));
}

TEST(RadixSort, IntsIncludingTheExtremes) {
  std::mt19937 random(3);
  std::vector<int> v(3000);
  for (int& x : v) x = static_cast<int>(random());
  v[0] = INT_MIN;
  v[1] = INT_MAX;
  v[2] = 0;
  v[3] = -1;
  std::vector<int> expected = v;
  std::sort(expected.begin(), expected.end());
  sortAscending(v.data(), v.data() + v.size());
  EXPECT_EQ(v, expected);
}

TEST(RadixSort, ShortArraysToo) {
  std::vector<double> v = {3, -1, 2};
  sortAscending(v.data(), v.data() + v.size());
  EXPECT_EQ(v, (std::vector<double>{-1, 2, 3}));
  sortAscending(v.data(), v.data());
}

TEST(RadixSort, ALongSortSeesTheInterruptAndLeavesTheNumbersAsTheyWere) {
  session::RunContext context;
  session::RunContextScope running(context);
  std::vector<double> v(1 << 20);
  for (std::size_t i = 0; i < v.size(); ++i) v[i] = static_cast<double>(v.size() - i);
  const std::vector<double> before = v;
  context.interrupt.store(true);
  std::string report;
  try {
    sortAscending(v.data(), v.data() + v.size());
  } catch (const session::RuntimeError& error) {
    report = error.text;
  }
  EXPECT_EQ(report, "execution interrupted");
  EXPECT_EQ(v, before);
  context.interrupt.store(false);
  sortAscending(v.data(), v.data() + v.size());
  EXPECT_TRUE(std::is_sorted(v.begin(), v.end()));
}

}  // namespace
}  // namespace zirbin::builtins
