// Standard input split into lines by the engine itself, read in blocks so
// that waiting input can be taken in during a search without blocking.
#include "protocol/lineinput.h"

#include <cstring>
#include <deque>
#include <strings.h>

#include "protocol/parse.h"

#ifdef _WIN32
#include <windows.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <thread>
#elif !defined(__EMSCRIPTEN__)
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

#ifdef __EMSCRIPTEN__
// WebAssembly has no standard input that can be tested without blocking: the
// JavaScript host (the Node entry, the page's worker) links in this reader,
// which keeps the contract of ReadStandardInput below.
extern "C" int TesselReadInput(char* buffer, int size, int wait);
#endif

FILE* pipeInput = nullptr;
char cmd[kCommandBufferSize];
bool sessionEnded = false;

namespace {

// Bytes read at once: more than a manager's longest burst of commands (a
// BOARD block of 400 stones is under 4 KiB), so one read takes it all.
constexpr int kBlockSize = 4096;

// Complete lines, oldest first; the first nbLinesOffered of them have been
// offered to TakeLinesThatAct and wait for ReadLine.
std::deque<std::string> lines;
size_t nbLinesOffered = 0;
std::string partialLine;  // the bytes of the line still being read
bool inputEnded = false;

// Up to `size` bytes of input into `buffer`: the number read, 0 when nothing
// waits (asked not to wait), or -1 at the end of input.
#ifdef __EMSCRIPTEN__
int ReadStandardInput(char* buffer, int size, bool wait) {
  return TesselReadInput(buffer, size, wait ? 1 : 0);
}
#elif defined(_WIN32)
// Windows has no test for waiting input that works on every kind of standard
// input (PeekNamedPipe fails on the pipes that wine makes of Unix pipes, and a
// console needs other calls), so a thread of its own reads standard input and
// hands the bytes over; the search still runs on the main thread alone. The
// handle is read directly, never in text mode, so that a 0x1A byte does not
// end the input and CR LF reaches the splitter as sent.
// The thread lives until the process ends, so the state it shares is never
// destroyed, not even while the process exits.
struct Reader {
  std::mutex mutex;
  std::condition_variable bytesArrived;
  std::string bytes;  // read, not yet taken
  bool ended = false;
};
Reader& reader = *new Reader;

void ReadStandardInputForever() {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  char buffer[kBlockSize];
  for (bool read = true; read;) {
    DWORD got = 0;
    read = ReadFile(input, buffer, kBlockSize, &got, nullptr) && got > 0;
    const std::lock_guard<std::mutex> lock(reader.mutex);
    if (read) reader.bytes.append(buffer, got);
    reader.ended = !read;
    reader.bytesArrived.notify_all();
  }
}

int ReadStandardInput(char* buffer, int size, bool wait) {
  static std::once_flag started;
  std::call_once(started, [] { std::thread(ReadStandardInputForever).detach(); });
  std::unique_lock<std::mutex> lock(reader.mutex);
  if (wait) reader.bytesArrived.wait(lock, [] { return !reader.bytes.empty() || reader.ended; });
  if (reader.bytes.empty()) return reader.ended ? -1 : 0;
  const size_t taken = std::min(reader.bytes.size(), static_cast<size_t>(size));
  reader.bytes.copy(buffer, taken);
  reader.bytes.erase(0, taken);
  return static_cast<int>(taken);
}
#else
int ReadStandardInput(char* buffer, int size, bool wait) {
  if (!wait) {
    pollfd input{STDIN_FILENO, POLLIN, 0};
    // POLLHUP without data also counts: the read then reports the end.
    if (poll(&input, 1, 0) <= 0) return 0;
  }
  ssize_t got = 0;
  do {
    got = read(STDIN_FILENO, buffer, static_cast<size_t>(size));
  } while (got < 0 && errno == EINTR);
  return got > 0 ? static_cast<int>(got) : -1;
}
#endif

int ReadBytes(char* buffer, int size, bool wait) {
  if (pipeInput == nullptr) return ReadStandardInput(buffer, size, wait);
  const size_t got = std::fread(buffer, 1, static_cast<size_t>(size), pipeInput);
  return got > 0 ? static_cast<int>(got) : -1;
}

// Commands whose argument opens with a quoted text (\" and \\ escaped) that
// may run over several lines: Yixin-Board's comment box, which sends line
// breaks as they are.
constexpr const char* kTextCommands[] = {"YXEDITTEXTDATABASE"};

// A quoted text being read. Its characters are dropped, since no command uses
// them, so that a text of any length takes no memory and none of its lines
// is ever taken for a command: the command's line reads `"` followed by what
// comes after the closing quote. A text still open when a line of its own
// reads DONE never closes; it ends there, its command line keeping the open
// quote, and DONE becomes the next line.
struct QuotedText {
  bool open = false;
  bool escaped = false;   // the character before was an escaping backslash
  std::string lineStart;  // the first characters of the text's current line
};
QuotedText text;

// Enough of a text line to tell DONE, with a CR after it, from a longer line.
constexpr size_t kTextLineKept = 6;

void EndLine() {
  if (!partialLine.empty() && partialLine.back() == '\r') partialLine.pop_back();
  lines.push_back(std::move(partialLine));
  partialLine.clear();
}

// A quote that follows a text command's word and blanks opens a text.
bool OpensText(char c) {
  if (c != '"') return false;
  for (const char* name : kTextCommands) {
    const char* argument = ParseCommandParameter(name, partialLine.c_str());
    if (argument != nullptr && *argument == '\0') return true;
  }
  return false;
}

bool IsLoneDone(std::string line) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return strcasecmp(line.c_str(), "DONE") == 0;
}

void ReadTextCharacter(char c) {
  if (c == '\n') {
    text.escaped = false;
    if (IsLoneDone(text.lineStart)) {
      text.open = false;
      EndLine();
      partialLine = "DONE";
      EndLine();
    }
    text.lineStart.clear();
    return;
  }
  if (text.lineStart.size() < kTextLineKept) text.lineStart.push_back(c);
  if (text.escaped) {
    text.escaped = false;
  } else if (c == '\\') {
    text.escaped = true;
  } else if (c == '"') {
    text.open = false;
    partialLine.push_back(c);
  }
}

// Splits bytes into lines: a line ends at LF, keeps its first kMaxLineLength
// characters, and loses a CR that ends what was kept.
void Split(const char* bytes, int count) {
  for (int i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (text.open) {
      ReadTextCharacter(c);
    } else if (c == '\n') {
      EndLine();
    } else if (partialLine.size() < kMaxLineLength) {
      // The text's first line is the command's, never a DONE of its own.
      if (OpensText(c)) text = {true, false, "\""};
      partialLine.push_back(c);
    }
  }
}

// One block of input into lines; false once the input has ended.
bool ReadBlock(bool wait) {
  if (inputEnded) return false;
  char buffer[kBlockSize];
  const int got = ReadBytes(buffer, kBlockSize, wait);
  if (got < 0) {
    inputEnded = true;
    return false;
  }
  Split(buffer, got);
  return got > 0;
}

}  // namespace

void ResetLineInput() {
  lines.clear();
  nbLinesOffered = 0;
  partialLine.clear();
  text = {};
  inputEnded = false;
}

bool ReadLine(std::string& line) {
  while (lines.empty()) {
    if (inputEnded) return false;
    ReadBlock(true);
  }
  line = std::move(lines.front());
  lines.pop_front();
  if (nbLinesOffered > 0) --nbLinesOffered;
  return true;
}

bool GetLine() {
  static_assert(kMaxLineLength < kCommandBufferSize);
  std::string line;
  if (!ReadLine(line)) {
    sessionEnded = true;
    return false;
  }
  // A NUL byte in the line ends the command text.
  std::memcpy(cmd, line.data(), line.size());
  cmd[line.size()] = '\0';
  return true;
}

void PutBackLine(const std::string& line) {
  lines.push_front(line);
  ++nbLinesOffered;
}

std::vector<std::string> TakeLinesThatAct(
    const std::function<bool(const std::string&)>& actsNow) {
  while (ReadBlock(false)) {
  }
  std::vector<std::string> taken;
  while (nbLinesOffered < lines.size()) {
    const auto line = lines.begin() + static_cast<std::ptrdiff_t>(nbLinesOffered);
    if (actsNow(*line)) {
      taken.push_back(std::move(*line));
      lines.erase(line);
    } else {
      ++nbLinesOffered;
    }
  }
  return taken;
}
