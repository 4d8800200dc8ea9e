#include "cli/cli_options.h"
#include "core/platform/compute_threads.h"

#include <gtest/gtest.h>

#include <string>

namespace orvendi {
namespace {

TEST(CliOptions, WholeNumbersAreReadWholeAndInDecimal) {
  std::string error;
  EXPECT_EQ(ParseWholeOption("--runs", "3", 1, 10, error), 3);
  // Leading zeros are decimal, not octal as strtol with base 0 would have it.
  EXPECT_EQ(ParseWholeOption("--runs", "010", 1, 10, error), 10);
  for (const char* text : {"", " 3", "3 ", "+3", "3.0", "1e1", "0x3", "three", "3/"}) {
    error.clear();
    EXPECT_FALSE(ParseWholeOption("--runs", text, 1, 10, error)) << text;
    EXPECT_EQ(error, std::string("--runs: \"") + text + "\" is not a whole number");
  }
}

TEST(CliOptions, WholeNumbersOutsideTheRangeNameTheRange) {
  std::string error;
  EXPECT_FALSE(ParseWholeOption("--runs", "0", 1, 10, error));
  EXPECT_EQ(error, "--runs must be from 1 to 10, not 0");
  EXPECT_FALSE(ParseWholeOption("--runs", "-4", 1, 10, error));
  EXPECT_EQ(error, "--runs must be from 1 to 10, not -4");
  EXPECT_FALSE(ParseWholeOption("--runs", "99999999999999999999999", 1, 10, error));
  EXPECT_EQ(error, "--runs must be from 1 to 10, not 99999999999999999999999");
  EXPECT_EQ(ParseWholeOption("--runs", "10", 1, 10, error), 10);
}

TEST(CliOptions, SeedsCoverSixtyFourBits) {
  std::string error;
  EXPECT_EQ(ParseSeedOption("0", error), 0u);
  EXPECT_EQ(ParseSeedOption("18446744073709551615", error), 18446744073709551615u);
  for (const char* text : {"18446744073709551616", "-1", "", "1.5", "seed"}) {
    EXPECT_FALSE(ParseSeedOption(text, error)) << text;
    EXPECT_EQ(error.rfind("--seed: \"", 0), 0u) << error;
  }
}

TEST(CliOptions, ThreadsAreAtLeastOneAndSetTheComputeThreads) {
  std::string error;
  EXPECT_EQ(ParseThreadsOption("1", error), 1);
  EXPECT_EQ(ComputeThreadsSetting(), 1);
  EXPECT_EQ(ParseThreadsOption("64", error), 64);
  EXPECT_EQ(ComputeThreadsSetting(), 64);
  EXPECT_FALSE(ParseThreadsOption("0", error));
  EXPECT_EQ(error, "--threads must be from 1 to 256, not 0");
  EXPECT_FALSE(ParseThreadsOption("257", error));
  EXPECT_FALSE(ParseThreadsOption("two", error));
  EXPECT_EQ(ComputeThreadsSetting(), 64);
  EXPECT_EQ(ParseThreadsOption("", error), 0);
  EXPECT_EQ(ComputeThreadsSetting(), 0);
}

}  // namespace
}  // namespace orvendi
