// Runs the built engine executable as a child process and talks to it over
// pipes, the way a game manager does. Every wait has a deadline, and a child
// that is still alive when its handle goes away is killed, so a faulty engine
// fails a test instead of hanging it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

constexpr int kDefaultTimeoutMs = 30000;

// The ABOUT reply, byte for byte.
inline constexpr std::string_view kAboutLine =
    "name=\"Tessel\", version=\"0.1\", author=\"Tessel developers\", country=\"Internet\", "
    "www=\"https://tessel.invalid\", email=\"engine@tessel.invalid\"";

class EngineProcess {
 public:
  explicit EngineProcess(const char* path = TESSEL_ENGINE_PATH);
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // Writes all bytes, reading the engine's output meanwhile so that neither
  // side can block the other. False when the engine no longer reads its input
  // or the deadline passed.
  bool Write(std::string_view bytes, int timeoutMs = kDefaultTimeoutMs);
  bool WriteLine(std::string_view line);
  // The next complete output line without its newline; nullopt on timeout or
  // when the output ended first.
  std::optional<std::string> ReadLine(int timeoutMs = kDefaultTimeoutMs);
  // WriteLine, then ReadLine; input stays open.
  std::optional<std::string> Ask(std::string_view line, int timeoutMs = kDefaultTimeoutMs);
  void CloseInput();
  // Closes the input, collects the remaining output and waits for the exit.
  // Returns the exit code, 128 + signal number for a killed engine, or -1 when
  // the deadline passed (the engine is then killed).
  int Finish(int timeoutMs = kDefaultTimeoutMs);

  // Complete lines not yet taken by ReadLine (after Finish: all of them).
  std::vector<std::string> TakeLines();
  // Output after the last newline; normally empty.
  const std::string& trailingOutput() const { return out_; }
  const std::string& errorOutput() const { return err_; }
  bool spawned() const { return pid_ > 0; }

 private:
  // Moves bytes in both directions until `done` holds or the deadline passes.
  template <typename Done>
  bool Pump(int timeoutMs, Done done);
  void Kill();

  pid_t pid_ = -1;
  int in_ = -1, outFd_ = -1, errFd_ = -1;
  std::string pendingInput_;
  std::string out_, err_;
  int exitStatus_ = -1;
  bool reaped_ = false;
};

struct RunResult {
  std::vector<std::string> lines;  // complete output lines
  std::string trailing;            // output after the last newline
  int exitStatus = -1;             // as EngineProcess::Finish
  std::string errorOutput;
};

// Run-to-completion: starts the engine, writes all input, closes the input
// and collects everything until the engine exits.
RunResult RunEngine(std::string_view input, int timeoutMs = kDefaultTimeoutMs);

// "x,y" with two decimal numbers 0..19, nothing else.
bool ParseMoveReply(std::string_view reply, int* x, int* y);

using Stones = std::vector<std::pair<int, int>>;
// The lines of a BOARD block: stones alternately of player 1 and player 2, as
// the engine colours them by order, then DONE. Needs |p1| == |p2| or
// |p1| == |p2| + 1. The third number of each line is `label`, or the true
// colour when label is 0.
std::string BoardBlock(const Stones& p1, const Stones& p2, int label = 0, bool done = true);
