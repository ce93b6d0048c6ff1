// SPDX-License-Identifier: MIT
#include "app/run_calculation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/result_line.h"
#include "eval/script_component.h"
#include "recording_boxes.h"

namespace tavrel::app {
namespace {

using testing::RecordingBoxes;

struct run_row {
  const char* name;
  std::string input;
  std::string decimals;
  std::string result;
};

TEST(RunCalculation, WritesOneResultLinePerInputLine) {
  const run_row rows[] = {
      {"two_lines", "1+1\r\n2*3", "", "1+1=2\r\n2*3=6\r\n"},
      {"padded", "1+1\r\n2*3", "2", "1+1=2.00\r\n2*3=6.00\r\n"},
      {"final_line_break", "1+1\r\n2*3\r\n", "", "1+1=2\r\n2*3=6\r\n"},
      {"empty_input", "", "3", ""},
      {"empty_line_between", "1\r\n\r\n2", "", "1=1\r\n=0\r\n2=2\r\n"},
      {"no_formula_character", "abc", "2", "=0.00\r\n"},
      {"failure_shows_zero", "()", "", "()=0\r\n"},
      {"lone_lf_does_not_split", "1\n2", "", "12=12\r\n"},
      {"lone_cr_does_not_split", "1\r2", "", "12=12\r\n"},
      // ３ apples + 4, with a full-width 3 (A3 B3).
      {"normalised_expression_shown", "\xA3\xB3 apples + 4", "", "3+4=7\r\n"},
      {"tens", "1234.5", "-1", "1234.5=1230\r\n"},
      {"count_zero", "2.5", "0", "2.5=3\r\n"},
      {"dash_is_count_zero", "2.5", "-", "2.5=3\r\n"},
      {"division_by_zero", "1/0", "", "1/0=1.#INF\r\n"},
      {"worked_example",
       "\xB9\xB2\xA3\xAE"
       "5\xBC\xFE+(-2..5)3\xA3\xAD\xA3\xAD"
       "4\xA3\xA8"
       "1.+.5",
       "", "0.5+(0-2.5)*3-4*(1+0.5)=-13\r\n"},
  };
  for (const run_row& row : rows) {
    RecordingBoxes boxes(row.input, row.decimals, "left over from before");
    eval::ScriptComponent script;
    run_calculation(boxes, script);
    EXPECT_EQ(boxes.result, row.result) << row.name;
    EXPECT_EQ(boxes.input, row.input) << row.name;  // a run never touches the input
  }
}

TEST(RunCalculation, MakesItsCallsInOrder) {
  RecordingBoxes boxes("1+1\r\n2", "2");
  eval::ScriptComponent script;
  run_calculation(boxes, script);
  const std::vector<std::string> expected = {
      "get input",          "set result ",
      "append result 1+1=", "get decimals",
      "get decimals",       "append result 2.00\r\n",
      "append result 2=",   "get decimals",
      "get decimals",       "append result 2.00\r\n",
  };
  EXPECT_EQ(boxes.log, expected);
}

TEST(RunCalculation, ReadsEmptyDecimalsOncePerLine) {
  RecordingBoxes boxes("1\r\n2\r\n3");
  eval::ScriptComponent script;
  run_calculation(boxes, script);
  EXPECT_EQ(std::count(boxes.log.begin(), boxes.log.end(), "get decimals"), 3);
  EXPECT_EQ(boxes.log[1], "set result ");
}

TEST(RunCalculation, EmptiesTheResultBoxEvenWithoutLines) {
  RecordingBoxes boxes("", "", "old");
  eval::ScriptComponent script;
  run_calculation(boxes, script);
  EXPECT_EQ(boxes.result, "");
  const std::vector<std::string> expected = {"get input", "set result "};
  EXPECT_EQ(boxes.log, expected);
}

TEST(RunCalculation, WithoutEngineEveryLineIsZero) {
  RecordingBoxes boxes("1+2\r\n3", "1");
  eval::ScriptComponent script(false);
  run_calculation(boxes, script);
  EXPECT_EQ(boxes.result, "1+2=0.0\r\n3=0.0\r\n");
}

TEST(ResultLine, AgreesWithTheRun) {
  const char* const lines[] = {"", "1+1", "2*(3", "abc", "1/3", "-0", "0.1+0.2", "9^5", "1e5"};
  const char* const decimals[] = {"", "2", "0", "-2", "7"};
  eval::ScriptComponent script;
  for (const char* line : lines) {
    for (const char* d : decimals) {
      RecordingBoxes boxes(line, d);
      run_calculation(boxes, script);
      const std::string expected = *line ? boxes.result : "";
      EXPECT_EQ(*line ? result_line(line, decimal_count(d), script) : "", expected)
          << line << " / " << d;
    }
  }
}

}  // namespace
}  // namespace tavrel::app
