#include "protocol/output.h"

FILE* pipeOutput = nullptr;

void SendResponse(const char* text) {
  FILE* out = pipeOutput != nullptr ? pipeOutput : stdout;
  std::fputs(text, out);
  std::fputc('\n', out);
  std::fflush(nullptr);
}

void SendSquare(const char* prefix, int16_t x, int16_t y) {
  char line[64];
  std::snprintf(line, sizeof line, "%s%d,%d", prefix, x, y);
  SendResponse(line);
}
