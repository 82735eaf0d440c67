// The board programs' extensions to the protocol: Yixin-Board's YX commands
// (positions loaded without an answer, forbidden squares, stops, and the
// database, block and file commands, read whole and left unanswered). Its
// candidate searches are in candidates, the analysis lines in analysis.
#pragma once

// Command handlers, each given the text after its command word.
void HandleYxBoard(const char* argument);
void HandleShowForbid(const char* argument);
void HandleStop(const char* argument);
// A command that needs nothing from the engine.
void Accept(const char* argument);
// Yixin-Board's Block: the squares of the list that follows, up to DONE, are
// barred from every answer, or taken back; or every bar is lifted.
void HandleBlock(const char* argument);
void HandleBlockUndo(const char* argument);
void HandleBlockReset(const char* argument);
// A command that carries a list of moves closed by DONE.
void SkipMoveList(const char* argument);
// A command whose file name follows on the next line, unless on its own.
void SkipFileName(const char* argument);
// A quoted text (\" and \\ escaped) followed by a list of moves closed by
// DONE; the first move or DONE follows the closing quote on the same line.
void SkipTextAndMoveList(const char* argument);
