#include "protocol/lineinput.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

FILE* pipeInput = nullptr;

namespace {

constexpr int kBlockSize = 4096;

std::deque<std::string> lines;  // complete lines, oldest first
std::string partialLine;        // the bytes of the line still being read
bool inputEnded = false;

// Up to `size` bytes of input into `buffer`: the number read, 0 when nothing
// waits (asked not to wait), or -1 at the end of input.
#ifdef _WIN32
// Standard input is read through its handle, never in text mode, so that a
// 0x1A byte does not end the input and CR LF reaches the splitter as sent.
bool InputWaits(HANDLE input) {
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE: {
      DWORD waiting = 0;
      // A pipe that fails here was closed: the read then reports the end.
      if (!PeekNamedPipe(input, nullptr, 0, nullptr, &waiting, nullptr)) return true;
      return waiting > 0;
    }
    case FILE_TYPE_DISK:
      return true;
    default:  // a console: only a blocking read can tell, so never while searching
      return false;
  }
}

int ReadStandardInput(char* buffer, int size, bool wait) {
  const HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (!wait && !InputWaits(input)) return 0;
  DWORD got = 0;
  if (!ReadFile(input, buffer, static_cast<DWORD>(size), &got, nullptr) || got == 0) return -1;
  return static_cast<int>(got);
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

// Splits bytes into lines: a line ends at LF, keeps its first kMaxLineLength
// characters, and loses a CR that ends what was kept.
void Split(const char* bytes, int count) {
  for (int i = 0; i < count; ++i) {
    const char c = bytes[i];
    if (c != '\n') {
      if (partialLine.size() < kMaxLineLength) partialLine.push_back(c);
      continue;
    }
    if (!partialLine.empty() && partialLine.back() == '\r') partialLine.pop_back();
    lines.push_back(std::move(partialLine));
    partialLine.clear();
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
  partialLine.clear();
  inputEnded = false;
}

bool ReadLine(std::string& line) {
  while (lines.empty()) {
    if (inputEnded) return false;
    ReadBlock(true);
  }
  line = std::move(lines.front());
  lines.pop_front();
  return true;
}

void ReadWaitingInput() {
  while (ReadBlock(false)) {
  }
}

std::deque<std::string>& WaitingLines() { return lines; }
