#include "protocol/pipe.h"

int main() { return RunSession(); }
