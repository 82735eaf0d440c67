#include "tools/harness/engine_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <thread>

using Clock = std::chrono::steady_clock;

static int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return static_cast<int>(std::max<int64_t>(left.count(), 0));
}

static void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

std::vector<std::string> EngineCommand() {
  const char* setting = std::getenv("TESSEL_ENGINE");
  if (setting == nullptr || *setting == '\0') return {TESSEL_ENGINE_PATH};
  std::istringstream words(setting);
  std::vector<std::string> command;
  for (std::string word; words >> word;) command.push_back(word);
  return command;
}

EngineProcess::EngineProcess(const std::vector<std::string>& command) {
  signal(SIGPIPE, SIG_IGN);  // writing to an engine that exited fails with EPIPE
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int inPipe[2], outPipe[2];
  if (command.empty() || pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 ||
      (pid_ = fork()) < 0)
    throw std::runtime_error("cannot start the engine");
  if (pid_ == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    execvp(argv[0], argv.data());
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  in_ = inPipe[1];
  outFd_ = outPipe[0];
  for (int fd : {in_, outFd_}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
  CloseFd(in_);
  CloseFd(outFd_);
  if (pid_ > 0 && kill(pid_, SIGKILL) == 0) waitpid(pid_, nullptr, 0);
}

// Moves bytes both ways until `done` holds; false past the deadline or after
// both pipes closed. Past the deadline it still moves what the pipes take or
// hold at once, so that a deadline of 0 collects what has come.
template <typename Done>
bool EngineProcess::Pump(int timeoutMs, Done done) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {pending_.empty() ? -1 : in_, POLLOUT, 0}};
    const int left = RemainingMs(deadline);
    if (fds[0].fd < 0 && fds[1].fd < 0) return false;
    const int ready = poll(fds, 2, left);
    if ((ready < 0 && errno != EINTR) || (ready == 0 && left == 0)) return false;
    if (fds[1].revents != 0) {
      const ssize_t n = write(in_, pending_.data(), pending_.size());
      pending_.erase(0, static_cast<size_t>(std::max<ssize_t>(n, 0)));
      if (n < 0 && errno != EAGAIN && errno != EINTR) CloseFd(in_);  // the engine no longer reads
    }
    if (fds[0].revents != 0) {
      char chunk[4096];
      const ssize_t n = read(outFd_, chunk, sizeof chunk);
      out_.append(chunk, static_cast<size_t>(std::max<ssize_t>(n, 0)));
      if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) CloseFd(outFd_);
    }
  }
  return true;
}

bool EngineProcess::Write(std::string_view bytes, int timeoutMs) {
  if (in_ >= 0) pending_.append(bytes);
  return Pump(timeoutMs, [&] { return pending_.empty() || in_ < 0; }) && in_ >= 0;
}

std::optional<std::string> EngineProcess::ReadLine(int timeoutMs) {
  if (!Pump(timeoutMs, [&] { return out_.find('\n') != std::string::npos; })) return std::nullopt;
  const size_t end = out_.find('\n');
  std::string line = out_.substr(0, end);
  out_.erase(0, end + 1);
  if (line.ends_with('\r')) line.pop_back();
  return line;
}

int EngineProcess::Finish(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  Pump(timeoutMs, [&] { return pending_.empty() || in_ < 0; });
  CloseFd(in_);
  Pump(RemainingMs(deadline), [&] { return outFd_ < 0; });
  int status = 0;
  pid_t reaped = 0;
  while (pid_ > 0 && (reaped = waitpid(pid_, &status, WNOHANG)) == 0) {
    if (RemainingMs(deadline) == 0) return -1;  // the destructor kills the engine
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  if (reaped > 0) status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  pid_ = -1;  // reaped, or no child of ours
  return status_;
}

std::vector<std::string> EngineProcess::TakeLines() {
  std::vector<std::string> lines;
  while (std::optional<std::string> line = ReadLine(0)) lines.push_back(*line);
  return lines;
}

RunResult RunEngine(std::string_view input, int timeoutMs) {
  EngineProcess engine;
  engine.Write(input, 0);  // what the pipe does not take at once, Finish delivers
  const int status = engine.Finish(timeoutMs);
  return {engine.TakeLines(), engine.rest(), status};
}
