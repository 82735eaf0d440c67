// The command loop through the real executable: line reading, command-word
// matching, END and end of input, line by line.
#include <gtest/gtest.h>

#include <string>

#include "tests/session.h"

namespace {

using namespace std::string_literals;
const std::string kUnknown = "ERROR unknown command";

void ExpectTranscript(const std::string& input, const Lines& expected) {
  const RunResult r = RunEngine(input);
  EXPECT_EQ(r.lines, expected) << "input: " << input;
  EXPECT_EQ(r.trailing, "");
  EXPECT_EQ(r.exitStatus, 0);
}

TEST(CommandLoop, CommandWordsMatchWholeWordsInAnyCase) {
  // Glued letters, a leading blank, a tab before the argument, a prefix, an empty line.
  ExpectTranscript(
      "ABOUT\nabout\nAbOuT\nABOUT with words\nABOUTX\n ABOUT\nABOUT\tx\nABOU\n\nENDX\n",
      {kAbout, kAbout, kAbout, kAbout, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown, kUnknown});
}

TEST(CommandLoop, EndAndEndOfInputFinishTheSessionWithStatusZero) {
  ExpectTranscript("END\nABOUT\n", {});
  ExpectTranscript("end of the match\nABOUT\n", {});
  ExpectTranscript("", {});
  ExpectTranscript("ABOUT\nABOUT", {kAbout});  // a last line without newline is dropped
  // Input that ends inside a BOARD block; the first BOARD answers OK.
  for (const char* cut : {"BOARD\n", "BOARD\n10,10,1\n", "BOARD\n10,10,1\n11,11,2", "BOARD\nDON",
                          "START\nBOARD\n10,10,1\n"})
    ExpectTranscript(cut, {"OK"});
}

TEST(CommandLoop, CarriageReturnsNulBytesAndHugeLines) {
  // Only the carriage return right before the newline goes; a NUL ends the
  // command text but not the line; a huge line keeps its first 255 characters.
  const std::string huge(100000, 'x');
  ExpectTranscript("ABOUT " + huge + "\n" + huge + "\nABOUT\0junk\nAB\0OUT\nABOUT\rABOUT\r\n"s +
                       "ABOUT\r\r\nSTART 20\rBEGIN\n" + std::string(300, '\0') +
                       "\n\r\nEND\rEND\nABOUT\r\nINFO timeout_turn 500\r\nEND\r\nABOUT\n"s,
                   {kAbout, kUnknown, kAbout, kUnknown, kUnknown, kUnknown, "OK", kUnknown,
                    kUnknown, kUnknown, kAbout});
}

TEST(CommandLoop, LongLinesKeepTheirFirst255Characters) {
  // INFO with a key is silent and without one an error: the 255th character
  // stays and the 256th goes; the rest of a line never comes back as a line.
  const std::string blanks(250, ' ');
  ExpectTranscript(
      "INFO" + blanks + "x\nINFO" + blanks + " x\n" + std::string(255, 'x') + "ABOUT\nABOUT\n",
      {"ERROR INFO wrong parameter", kUnknown, kAbout});
}

TEST(CommandLoop, EveryReplyIsReadableWhileInputStaysOpen) {
  Session engine;
  engine.Expect("START", {"OK"});  // and ABOUT
  engine.Expect("INFO timeout_turn 200\nBEGIN", {kMove});
  engine.Send("END");
  EXPECT_EQ(engine.engine().Finish(), 0);
  EXPECT_TRUE(engine.engine().TakeLines().empty());
}

}  // namespace
