#include "protocol/pipe.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

int main() {
#ifdef _WIN32
  // Windows reads stdin in text mode, which ends the input at a 0x1A byte and
  // turns CR LF into LF before the line reader sees it; binary mode gives the
  // reader the same bytes as on other systems. Output stays in text mode, so
  // replies end in CR LF, the line end of the platform.
  _setmode(_fileno(stdin), _O_BINARY);
#endif
  return RunSession();
}
