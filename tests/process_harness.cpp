#include "tests/process_harness.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <stdexcept>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
  auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  return left.count() > 0 ? static_cast<int>(left.count()) : 0;
}

void CloseFd(int& fd) {
  if (fd >= 0) close(fd);
  fd = -1;
}

// Reads what is available; closes the descriptor at end of output.
void Drain(int& fd, std::string& into) {
  char chunk[4096];
  for (;;) {
    ssize_t n = read(fd, chunk, sizeof chunk);
    if (n > 0) {
      into.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    CloseFd(fd);  // end of output or a hard error
    return;
  }
}

}  // namespace

EngineProcess::EngineProcess(const char* path) {
  // A write to an engine that has already exited must fail with EPIPE, not
  // kill the test.
  signal(SIGPIPE, SIG_IGN);
  int inPipe[2], outPipe[2], errPipe[2];
  if (pipe2(inPipe, O_CLOEXEC) != 0 || pipe2(outPipe, O_CLOEXEC) != 0 ||
      pipe2(errPipe, O_CLOEXEC) != 0)
    throw std::runtime_error("pipe2 failed");
  pid_ = fork();
  if (pid_ < 0) throw std::runtime_error("fork failed");
  if (pid_ == 0) {
    dup2(inPipe[0], 0);
    dup2(outPipe[1], 1);
    dup2(errPipe[1], 2);
    execl(path, path, static_cast<char*>(nullptr));
    _exit(127);
  }
  close(inPipe[0]);
  close(outPipe[1]);
  close(errPipe[1]);
  in_ = inPipe[1];
  outFd_ = outPipe[0];
  errFd_ = errPipe[0];
  for (int fd : {in_, outFd_, errFd_}) fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
}

EngineProcess::~EngineProcess() {
  if (!reaped_) Kill();
  CloseFd(in_);
  CloseFd(outFd_);
  CloseFd(errFd_);
}

void EngineProcess::Kill() {
  if (pid_ <= 0 || reaped_) return;
  kill(pid_, SIGKILL);
  int status = 0;
  waitpid(pid_, &status, 0);
  reaped_ = true;
}

template <typename Done>
bool EngineProcess::Pump(int timeoutMs, Done done) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    pollfd fds[3];
    int n = 0;
    if (in_ >= 0 && !pendingInput_.empty()) fds[n++] = {in_, POLLOUT, 0};
    if (outFd_ >= 0) fds[n++] = {outFd_, POLLIN, 0};
    if (errFd_ >= 0) fds[n++] = {errFd_, POLLIN, 0};
    if (n == 0) return done();
    int ready = poll(fds, static_cast<nfds_t>(n), RemainingMs(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return done();
    for (int i = 0; i < n; ++i) {
      if (fds[i].revents == 0) continue;
      if (fds[i].fd == in_) {
        ssize_t w = write(in_, pendingInput_.data(), pendingInput_.size());
        if (w > 0) {
          pendingInput_.erase(0, static_cast<size_t>(w));
        } else if (w < 0 && errno != EAGAIN && errno != EINTR) {
          CloseFd(in_);  // the engine closed its input
          pendingInput_.clear();
        }
      } else if (fds[i].fd == outFd_) {
        Drain(outFd_, out_);
      } else {
        Drain(errFd_, err_);
      }
    }
    if (Clock::now() >= deadline) return done();
  }
  return true;
}

bool EngineProcess::Write(std::string_view bytes, int timeoutMs) {
  if (in_ < 0) return false;
  pendingInput_.append(bytes);
  return Pump(timeoutMs, [&] { return pendingInput_.empty(); }) && in_ >= 0;
}

bool EngineProcess::WriteLine(std::string_view line) {
  std::string text(line);
  text += '\n';
  return Write(text);
}

std::optional<std::string> EngineProcess::ReadLine(int timeoutMs) {
  Pump(timeoutMs, [&] { return out_.find('\n') != std::string::npos || outFd_ < 0; });
  size_t end = out_.find('\n');
  if (end == std::string::npos) return std::nullopt;
  std::string line = out_.substr(0, end);
  out_.erase(0, end + 1);
  return line;
}

std::optional<std::string> EngineProcess::Ask(std::string_view line, int timeoutMs) {
  if (!WriteLine(line)) return std::nullopt;
  return ReadLine(timeoutMs);
}

void EngineProcess::CloseInput() {
  pendingInput_.clear();
  CloseFd(in_);
}

int EngineProcess::Finish(int timeoutMs) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  // Input already queued is still delivered before the input is closed.
  Pump(timeoutMs, [&] { return pendingInput_.empty(); });
  CloseInput();
  Pump(RemainingMs(deadline), [&] { return outFd_ < 0 && errFd_ < 0; });
  if (reaped_) return exitStatus_;
  for (;;) {
    int status = 0;
    pid_t r = waitpid(pid_, &status, WNOHANG);
    if (r == pid_) {
      reaped_ = true;
      exitStatus_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      return exitStatus_;
    }
    if (r < 0 || RemainingMs(deadline) == 0) {
      Kill();
      return -1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
}

std::vector<std::string> EngineProcess::TakeLines() {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = out_.find('\n', start)) != std::string::npos) {
    lines.push_back(out_.substr(start, end - start));
    start = end + 1;
  }
  out_.erase(0, start);
  return lines;
}

RunResult RunEngine(std::string_view input, int timeoutMs) {
  const auto begin = Clock::now();
  EngineProcess engine;
  RunResult result;
  engine.Write(input, timeoutMs);
  int left = timeoutMs - static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                              Clock::now() - begin)
                                              .count());
  result.exitStatus = engine.Finish(left > 0 ? left : 1);
  result.lines = engine.TakeLines();
  result.trailing = engine.trailingOutput();
  result.errorOutput = engine.errorOutput();
  return result;
}

bool ParseMoveReply(std::string_view reply, int* x, int* y) {
  int values[2] = {-1, -1};
  size_t pos = 0;
  for (int k = 0; k < 2; ++k) {
    if (k == 1) {
      if (pos >= reply.size() || reply[pos] != ',') return false;
      ++pos;
    }
    size_t digits = 0;
    int v = 0;
    while (pos < reply.size() && reply[pos] >= '0' && reply[pos] <= '9' && digits < 3) {
      v = 10 * v + (reply[pos++] - '0');
      ++digits;
    }
    if (digits == 0 || v > 19) return false;
    values[k] = v;
  }
  if (pos != reply.size()) return false;
  *x = values[0];
  *y = values[1];
  return true;
}

std::string BoardBlock(const Stones& p1, const Stones& p2, int label, bool done) {
  if (p1.size() != p2.size() && p1.size() != p2.size() + 1)
    throw std::invalid_argument("BoardBlock: stone counts do not alternate");
  std::string text = "BOARD\n";
  for (size_t i = 0; i < p1.size(); ++i) {
    for (int player = 1; player <= 2; ++player) {
      const Stones& own = player == 1 ? p1 : p2;
      if (i >= own.size()) break;
      text += std::to_string(own[i].first) + "," + std::to_string(own[i].second) + "," +
              std::to_string(label != 0 ? label : player) + "\n";
    }
  }
  if (done) text += "DONE\n";
  return text;
}
