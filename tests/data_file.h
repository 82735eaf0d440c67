// Cases read from the text files of tests/data. A case is a header line,
// "[name] key=value key=value ...", and below it the rows of a drawn board
// up to a blank line; between cases, lines that start with '#' are
// comments. In a drawing 'X' is a black stone (player 1), 'O' a white one,
// '#' a blocked square, '*' the square the case is about (empty), any other
// character empty.
#pragma once

#include <map>
#include <string>
#include <vector>

using Cells = std::vector<std::vector<int>>;  // [y][x]: 0 empty, 1 and 2 stones, 3 blocked

struct DataCase {
  std::string name;
  std::map<std::string, std::string> values;
  std::vector<std::string> rows;

  // The value of `key`; an empty text (and a test failure) when it is missing.
  std::string Get(const std::string& key) const;
  int Int(const std::string& key) const { return std::stoi(Get(key)); }
};

// Every case of a file of tests/data; a missing or empty file fails the test.
std::vector<DataCase> ReadCases(const std::string& fileName);

struct Drawing {
  Cells cells;
  int x = -1, y = -1;  // the '*' square
};
// The case's drawing on a side x side board, its top-left square at the
// case's "at=x,y" (x = -1: its right end on the right edge), under one of the
// board's eight symmetries: mirror x, mirror y, then swap the axes, as the
// bits of `symmetry` say.
Drawing Draw(const DataCase& c, int side, int symmetry = 0);

// A new game on the cells' board size with their stones and blocked squares,
// `toMove` to move.
void LayOnEngine(const Cells& cells, int toMove);

// The case `name` of a file of tests/data drawn on the usual board and laid
// on the engine, `toMove` to move; its drawing.
Drawing LayCase(const std::string& fileName, const std::string& name, int toMove);
