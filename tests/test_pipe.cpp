// The command loop of the engine process: line reading, command-word
// matching, END and end of input, checked line by line on the real executable.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/process_harness.h"

namespace {

using Lines = std::vector<std::string>;
const std::string kAbout(kAboutLine);
const std::string kUnknown = "ERROR unknown command";
const std::string kInfoError = "ERROR INFO wrong parameter";

void ExpectTranscript(const std::string& input, const Lines& expected) {
  RunResult r = RunEngine(input);
  EXPECT_EQ(r.lines, expected) << "input: " << input;
  EXPECT_EQ(r.trailing, "");
  EXPECT_EQ(r.exitStatus, 0) << r.errorOutput;
}

TEST(CommandLoop, CommandWordsMatchWholeWordsInAnyCase) {
  ExpectTranscript(
      "ABOUT\n"
      "about\n"
      "AbOuT\n"
      "ABOUT with some words\n"
      "ABOUTX\n"    // letters glued to the word
      " ABOUT\n"    // leading blank
      "ABOUT\tx\n"  // only a blank separates the argument
      "ABOU\n"
      "\n"
      "ENDX\n"
      "STARTING\n",
      {kAbout, kAbout, kAbout, kAbout, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown,
       kUnknown, kUnknown});
}

TEST(CommandLoop, EndAndEndOfInputFinishTheSessionWithStatusZero) {
  ExpectTranscript("END\nABOUT\n", {});
  ExpectTranscript("end of the match\nABOUT\n", {});
  ExpectTranscript("", {});                          // end of input before START
  ExpectTranscript("ABOUT\nABOUT", {kAbout});        // a last line without newline is dropped
  ExpectTranscript("ABOUT\nINFO foo", {kAbout});
  ExpectTranscript("START\nBOARD\n10,10,1\n", {"OK"});  // input ends inside a BOARD block
}

TEST(CommandLoop, CarriageReturnsAndNulBytes) {
  ExpectTranscript("ABOUT\r\nSTART\r\n\r\nINFO timeout_turn 500\r\nEND\r\nABOUT\n",
                   {kAbout, "OK", kUnknown});
  // Only the one carriage return right before the newline goes.
  ExpectTranscript("ABOUT\r\r\n", {kUnknown});
  // A NUL ends the command text but not the line.
  ExpectTranscript(std::string("ABOUT\0junk\nAB\0OUT\n\0\nABOUT\n", 26),
                   {kAbout, kUnknown, kUnknown, kAbout});
}

TEST(CommandLoop, LongLinesKeepTheirFirst255Characters) {
  auto infoLine = [](const std::string& key, size_t keyAt) {
    return "INFO" + std::string(keyAt - 4, ' ') + key;
  };
  const std::string fits = infoLine("evaluate", 255 - 8);  // exactly 255 characters
  ASSERT_EQ(fits.size(), 255u);
  // Dropping everything after character 255 turns "evaluateX..." back into a
  // known key and "game_type" into an unknown one.
  const std::string cutToKnownKey = fits + std::string(45, 'X');
  const std::string cutKey = infoLine("game_type 1", 251) + std::string(38, 'x');
  // The dropped rest must not come back as a line of its own.
  const std::string restIsCommand = std::string(255, 'x') + "ABOUT " + std::string(39, 'y');
  ASSERT_EQ(cutToKnownKey.size(), 300u);
  ASSERT_EQ(cutKey.size(), 300u);
  ASSERT_EQ(restIsCommand.size(), 300u);
  ExpectTranscript(fits + "\n" + cutToKnownKey + "\n" + cutKey + "\n" + restIsCommand + "\nABOUT\n",
                   {kInfoError, kUnknown, kAbout});
}

TEST(CommandLoop, EveryReplyIsFlushedWhileInputStaysOpen) {
  EngineProcess engine;
  EXPECT_EQ(engine.Ask("ABOUT"), kAbout);
  EXPECT_EQ(engine.Ask("nonsense"), kUnknown);
  EXPECT_EQ(engine.Ask("INFO"), kInfoError);
  EXPECT_EQ(engine.Ask("START"), "OK");
  int x, y;
  std::optional<std::string> move = engine.Ask("INFO timeout_turn 200\nBEGIN");
  ASSERT_TRUE(move.has_value());
  EXPECT_TRUE(ParseMoveReply(*move, &x, &y)) << *move;
  EXPECT_TRUE(engine.WriteLine("END"));
  EXPECT_EQ(engine.Finish(), 0) << engine.errorOutput();
  EXPECT_TRUE(engine.TakeLines().empty());
}

}  // namespace
