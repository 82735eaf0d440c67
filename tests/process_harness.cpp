#include "tests/process_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
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

EngineProcess::EngineProcess() {
  signal(SIGPIPE, SIG_IGN);  // writing to an engine that exited fails with EPIPE
  int inPipe[2], outPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 || (pid_ = fork()) < 0)
    throw std::runtime_error("cannot start the engine");
  if (pid_ == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    execl(TESSEL_ENGINE_PATH, TESSEL_ENGINE_PATH, static_cast<char*>(nullptr));
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

// Moves bytes both ways until `done` holds; false past the deadline or after both pipes closed.
template <typename Done>
bool EngineProcess::Pump(int timeoutMs, Done done) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    pollfd fds[2] = {{outFd_, POLLIN, 0}, {pending_.empty() ? -1 : in_, POLLOUT, 0}};
    const int left = RemainingMs(deadline);
    if (left == 0 || (fds[0].fd < 0 && fds[1].fd < 0)) return false;
    if (poll(fds, 2, left) < 0 && errno != EINTR) return false;
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
  engine.Write(input, 0);  // only queued: Finish delivers it
  const int status = engine.Finish(timeoutMs);
  return {engine.TakeLines(), engine.rest(), status};
}

bool ParseMoveReply(std::string_view reply, int* x, int* y) {
  int a = -1, b = -1;
  const char* end = reply.data() + reply.size();
  const char* comma = std::from_chars(reply.data(), end, a).ptr;
  if (comma != end) std::from_chars(comma + 1, end, b);
  // Only the canonical text: no sign, blank, leading zero or anything else.
  if (a < 0 || a > 19 || b < 0 || b > 19 || reply != std::to_string(a) + "," + std::to_string(b))
    return false;
  *x = a;
  *y = b;
  return true;
}

std::string BoardBlock(const Stones& p1, const Stones& p2, int label, bool done) {
  if (p1.size() != p2.size() && p1.size() != p2.size() + 1)
    throw std::invalid_argument("BoardBlock: stone counts do not alternate");
  std::string text = "BOARD\n";
  for (size_t i = 0; i < p1.size() + p2.size(); ++i) {
    const auto [x, y] = (i % 2 == 0 ? p1 : p2)[i / 2];
    text += std::to_string(x) + "," + std::to_string(y) + "," +
            std::to_string(label != 0 ? label : 1 + static_cast<int>(i % 2)) + "\n";
  }
  return done ? text + "DONE\n" : text;
}
