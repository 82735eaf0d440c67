// The board programs' candidate commands: the N best moves (YXNBEST), the
// moves that do not lose (YXSEARCHDEFEND), and the move, or pair of moves,
// whose value comes closest to a given one (YXBALANCEONE, YXBALANCETWO).
// None plays a stone, and none changes what an ordinary search answers.
#pragma once

// Command handlers, each given the text after its command word.
void HandleNBest(const char* argument);
void HandleSearchDefend(const char* argument);
void HandleBalanceOne(const char* argument);
void HandleBalanceTwo(const char* argument);
