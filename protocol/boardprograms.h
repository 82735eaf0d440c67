// The board programs' extensions to the protocol: Yixin-Board's YX commands
// (positions loaded without an answer, candidates, forbidden squares, stops,
// database and block lists) and the analysis lines that board programs show.
#pragma once

// INFO show_detail: analysis lines for board programs; none by default.
extern bool showDetail;
void ApplyShowDetail(const char* value);

// Analysis lines of one search: BeginAnalysis before it starts;
// ReportIteration at every clock sample marks the best move of each newly
// completed iteration (MESSAGE REALTIME BEST x,y); SendMessage writes the
// status line of the search's result.
void BeginAnalysis();
void ReportIteration();
void SendMessage();

// Command handlers, each given the text after its command word.
void HandleYxBoard(const char* argument);
void HandleNBest(const char* argument);
void HandleShowForbid(const char* argument);
void HandleStop(const char* argument);
// A command that needs nothing from the engine.
void Accept(const char* argument);
// A command that carries a list of moves closed by DONE.
void SkipMoveList(const char* argument);
