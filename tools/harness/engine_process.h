// Runs the engine as a child process over pipes, as a game manager does. Every
// wait has a deadline and a child still alive when its handle goes away is
// killed, so a faulty engine fails a test instead of hanging it.
#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

constexpr int kDefaultTimeoutMs = 30000;

inline constexpr std::string_view kAboutLine =
    "name=\"Tessel\", version=\"0.1\", author=\"Tessel developers\", country=\"Internet\", "
    "www=\"https://tessel.invalid\", email=\"engine@tessel.invalid\"";

// The command that starts the engine: the environment's TESSEL_ENGINE split on
// blanks (for example "wine build-win/pbrain-tessel.exe"), else the engine
// built beside the harness.
std::vector<std::string> EngineCommand();

class EngineProcess {
 public:
  explicit EngineProcess(const std::vector<std::string>& command = EngineCommand());
  ~EngineProcess();
  EngineProcess(const EngineProcess&) = delete;
  EngineProcess& operator=(const EngineProcess&) = delete;

  // Writes all bytes, reading the output meanwhile; false if the engine stopped reading.
  bool Write(std::string_view bytes, int timeoutMs = kDefaultTimeoutMs);
  bool WriteLine(std::string_view line) { return Write(std::string(line) + '\n'); }
  // The next output line without its line end (LF or CR LF); nullopt on timeout
  // or end of output. With a timeout of 0, a line that has come, if any.
  std::optional<std::string> ReadLine(int timeoutMs = kDefaultTimeoutMs);
  std::optional<std::string> Ask(std::string_view line, int timeoutMs = kDefaultTimeoutMs) {
    return WriteLine(line) ? ReadLine(timeoutMs) : std::nullopt;
  }
  // Delivers the queued input, closes it, collects the output and waits for the
  // exit: the exit code, 128 + the signal, or -1 past the deadline (the handle kills it).
  int Finish(int timeoutMs = kDefaultTimeoutMs);
  // The complete lines not read yet; rest() is what follows the last newline.
  std::vector<std::string> TakeLines();
  const std::string& rest() const { return out_; }

 private:
  template <typename Done>
  bool Pump(int timeoutMs, Done done);

  pid_t pid_ = -1;  // -1 once reaped
  int in_ = -1, outFd_ = -1, status_ = -1;
  std::string pending_, out_;
};

struct RunResult {
  std::vector<std::string> lines;  // complete output lines
  std::string trailing;            // output after the last newline
  int exitStatus = -1;             // as EngineProcess::Finish
};
// Starts the engine, writes all input, closes it and collects all output.
RunResult RunEngine(std::string_view input, int timeoutMs = kDefaultTimeoutMs);
