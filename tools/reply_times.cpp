// Plays complete games of the engine against itself through the protocol,
// for several time settings, and reports how long the replies take against
// the per-move budget. Every move is judged by a small referee; an illegal
// move, a malformed reply or a reply that does not come at all makes the exit
// status non-zero. Also measures the start-up time (process start to the
// ABOUT reply).
//
//   reply_times [engine] [-n games-per-setting] [-cap milliseconds]
//
// The engine defaults to pbrain-tessel next to this tool or one directory up.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

double MsSince(Clock::time_point t) {
  return std::chrono::duration<double, std::milli>(Clock::now() - t).count();
}

// One engine process on two pipes; its standard error is inherited.
class Engine {
 public:
  explicit Engine(const std::string& path) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(in[0], 0);
      dup2(out[1], 1);
      execl(path.c_str(), path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    close(in[0]);
    close(out[1]);
    in_ = in[1];
    out_ = out[0];
  }
  ~Engine() {
    if (in_ >= 0) close(in_);
    if (out_ >= 0) close(out_);
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  Engine(const Engine&) = delete;
  Engine& operator=(const Engine&) = delete;

  bool Send(const std::string& line) {
    std::string text = line + "\n";
    size_t done = 0;
    while (done < text.size()) {
      ssize_t n = write(in_, text.data() + done, text.size() - done);
      if (n <= 0) return false;
      done += static_cast<size_t>(n);
    }
    return true;
  }
  // The next line, or nullopt when none arrives within timeoutMs.
  std::optional<std::string> Read(int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
      size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      int left = static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count());
      pollfd p{out_, POLLIN, 0};
      if (left <= 0 || poll(&p, 1, left) <= 0) return std::nullopt;
      char chunk[4096];
      ssize_t n = read(out_, chunk, sizeof chunk);
      if (n <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(n));
    }
  }
  // Ends the session with END; true when the engine exits with status 0.
  bool End() {
    Send("END");
    close(in_);
    in_ = -1;
    int status = 0;
    for (int i = 0; i < 500; ++i) {
      if (waitpid(pid_, &status, WNOHANG) == pid_) {
        pid_ = -1;
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
      }
      usleep(10000);
    }
    return false;
  }

 private:
  pid_t pid_ = -1;
  int in_ = -1, out_ = -1;
  std::string buffer_;
};

// Legality and fives on the 20 x 20 board.
struct Referee {
  int cell[20][20] = {};
  int stones = 0;
  bool Legal(int x, int y) const { return x >= 0 && x < 20 && y >= 0 && y < 20 && !cell[y][x]; }
  // Puts a stone of `player`; true when it makes five or more.
  bool Put(int x, int y, int player) {
    cell[y][x] = player;
    ++stones;
    static const int dirs[4][2] = {{1, 0}, {0, 1}, {1, 1}, {1, -1}};
    for (const auto& d : dirs) {
      int length = 1;
      for (int s = -1; s <= 1; s += 2)
        for (int cx = x + s * d[0], cy = y + s * d[1];
             cx >= 0 && cx < 20 && cy >= 0 && cy < 20 && cell[cy][cx] == player;
             cx += s * d[0], cy += s * d[1])
          ++length;
      if (length >= 5) return true;
    }
    return false;
  }
};

bool ParseMove(const std::string& reply, int* x, int* y) {
  char tail;
  return std::sscanf(reply.c_str(), "%d,%d%c", x, y, &tail) == 2 &&
         reply.find_first_not_of("0123456789,") == std::string::npos;
}

struct Setting {
  const char* name;
  std::vector<std::string> infos;
  int32_t turn;      // timeout_turn in force
  int32_t match;     // match time in force; INT32_MAX for none
  int32_t timeLeft;  // > 0: the manager sends time_left before every move, from this value
};

int32_t Budget(int32_t turn, int32_t match) {
  return std::min(turn - 100, match / 15 - 100);
}

struct Stats {
  int games = 0, moves = 0, overBudget = 0;
  double worst = 0, total = 0;
  int32_t worstBudget = 0;
  int worstGame = 0, worstMove = 0;
};

// Returns false on a protocol fault.
bool PlayGame(const std::string& path, const Setting& setting, int game, int capMs, Stats& st) {
  Engine engines[2] = {Engine(path), Engine(path)};
  Referee referee;
  int32_t clock[2] = {setting.timeLeft, setting.timeLeft};
  auto fail = [&](int move, const std::string& what) {
    std::printf("  FAULT %s, game %d, move %d: %s\n", setting.name, game + 1, move, what.c_str());
    return false;
  };
  for (Engine& e : engines) {
    for (const std::string& info : setting.infos) e.Send(info);
    e.Send("START");
    std::optional<std::string> ok = e.Read(capMs);
    if (ok != "OK") return fail(0, "START answered " + ok.value_or("nothing"));
  }
  // Game 1 opens on the empty board; the others after an opening of one to
  // four stones drawn from the game number, so that games differ.
  uint32_t seed = 2654435761u * static_cast<uint32_t>(game);
  const int openingStones = game == 0 ? 0 : 1 + game % 4;
  for (int i = 0; i < openingStones;) {
    seed = seed * 1103515245u + 12345u;
    const int x = 6 + static_cast<int>(seed >> 16) % 8;
    const int y = 6 + static_cast<int>(seed >> 8) % 8;
    if (!referee.Legal(x, y)) continue;
    for (Engine& e : engines) e.Send("PLAY " + std::to_string(x) + "," + std::to_string(y));
    referee.Put(x, y, 1 + i % 2);
    ++i;
  }
  std::string command = "BEGIN";
  for (int side = 0;; side = 1 - side) {
    const int move = referee.stones + 1;
    Engine& e = engines[side];
    int32_t match = setting.match;
    if (setting.timeLeft > 0) {
      e.Send("INFO time_left " + std::to_string(clock[side]));
      match = clock[side];
    }
    const auto sent = Clock::now();
    e.Send(command);
    std::optional<std::string> reply = e.Read(capMs);
    const double ms = MsSince(sent);
    if (referee.stones == 400) {
      if (reply != "ERROR board is full")
        return fail(move, "full board answered " + reply.value_or("nothing"));
      break;
    }
    if (!reply) return fail(move, "no reply within " + std::to_string(capMs) + " ms");
    int x, y;
    if (!ParseMove(*reply, &x, &y)) return fail(move, "malformed reply \"" + *reply + "\"");
    if (!referee.Legal(x, y)) return fail(move, "illegal move " + *reply);
    const int32_t budget = Budget(setting.turn, match);
    ++st.moves;
    st.total += ms;
    if (ms > std::max(budget, 0) + 50) ++st.overBudget;
    if (ms > st.worst) {
      st.worst = ms;
      st.worstBudget = budget;
      st.worstGame = game + 1;
      st.worstMove = move;
    }
    clock[side] = std::max<int32_t>(0, clock[side] - static_cast<int32_t>(ms));
    const bool five = referee.Put(x, y, 1 + (move - 1) % 2);
    if (five) break;
    command = "TURN " + *reply;
  }
  for (Engine& e : engines)
    if (!e.End()) return fail(referee.stones, "END did not end the process with status 0");
  ++st.games;
  return true;
}

double StartUpMs(const std::string& path) {
  double best = 1e9;
  for (int run = 0; run < 20; ++run) {
    const auto start = Clock::now();
    Engine e(path);
    e.Send("ABOUT");
    if (!e.Read(10000)) return -1;
    best = std::min(best, MsSince(start));
    e.End();
  }
  return best;
}

std::string DefaultEngine() {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n > 0) {
    std::string dir(self, static_cast<size_t>(n));
    dir.erase(dir.find_last_of('/'));
    for (const std::string& candidate : {dir + "/pbrain-tessel", dir + "/../pbrain-tessel"})
      if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "./pbrain-tessel";
}

}  // namespace

int main(int argc, char** argv) {
  signal(SIGPIPE, SIG_IGN);
  std::string path = DefaultEngine();
  int games = 2, capMs = 120000;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "-n") && i + 1 < argc)
      games = std::atoi(argv[++i]);
    else if (!std::strcmp(argv[i], "-cap") && i + 1 < argc)
      capMs = std::atoi(argv[++i]);
    else
      path = argv[i];
  }
  std::printf("engine %s\n", path.c_str());
  const double startUp = StartUpMs(path);
  if (startUp < 0) {
    std::printf("FAULT: no ABOUT reply\n");
    return 1;
  }
  std::printf("start-up to ABOUT reply: %.1f ms (best of 20)\n", startUp);
  std::fflush(stdout);

  const Setting settings[] = {
      {"defaults", {}, 1000, 15000, 0},
      {"timeout_turn 300", {"INFO timeout_turn 300"}, 300, 15000, 0},
      {"timeout_turn 1000, timeout_match 0, time_left from 60000",
       {"INFO timeout_turn 1000", "INFO timeout_match 0"}, 1000, INT32_MAX, 60000},
      {"timeout_turn 1000, time_left from 3000",
       {"INFO timeout_turn 1000", "INFO timeout_match 0"}, 1000, INT32_MAX, 3000},
  };
  bool ok = true;
  for (const Setting& s : settings) {
    Stats st;
    for (int g = 0; g < games; ++g) ok = PlayGame(path, s, g, capMs, st) && ok;
    std::printf(
        "%-58s games %d, moves %4d, mean %7.1f ms, worst %8.1f ms (game %d, move %d, budget "
        "%d ms), over budget+50: %d\n",
        s.name, st.games, st.moves, st.moves ? st.total / st.moves : 0.0, st.worst, st.worstGame,
        st.worstMove, st.worstBudget, st.overBudget);
    std::fflush(stdout);
  }
  return ok ? 0 : 1;
}
