#include "tests/data_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

#include "engine/tessel.h"

std::string DataCase::Get(const std::string& key) const {
  const auto found = values.find(key);
  if (found != values.end()) return found->second;
  ADD_FAILURE() << name << ": no " << key;
  return "";
}

std::vector<DataCase> ReadCases(const std::string& fileName) {
  std::ifstream file(std::string(TESSEL_TEST_DATA) + "/" + fileName);
  std::vector<DataCase> cases;
  bool inDrawing = false;  // a '#' there is a blocked square, not a comment
  for (std::string line; std::getline(file, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || (!inDrawing && line.starts_with('#'))) {
      inDrawing = false;
    } else if (line.starts_with('[')) {
      inDrawing = true;
      DataCase& c = cases.emplace_back();
      const size_t close = line.find(']');
      c.name = line.substr(1, close - 1);
      std::istringstream pairs(line.substr(close + 1));
      for (std::string pair; pairs >> pair;) {
        const size_t equals = pair.find('=');
        c.values[pair.substr(0, equals)] = pair.substr(equals + 1);
      }
    } else if (inDrawing) {
      cases.back().rows.push_back(line);
    }
  }
  EXPECT_FALSE(cases.empty()) << "no cases in " << TESSEL_TEST_DATA << "/" << fileName;
  return cases;
}

Drawing Draw(const DataCase& c, int side, int symmetry) {
  Drawing d{Cells(side, std::vector<int>(side, 0))};
  const std::string at = c.Get("at");
  const int left = std::stoi(at), top = std::stoi(at.substr(at.find(',') + 1));
  for (int r = 0; r < static_cast<int>(c.rows.size()); ++r) {
    const std::string& row = c.rows[r];
    for (int k = 0; k < static_cast<int>(row.size()); ++k) {
      int x = (left >= 0 ? left : side - static_cast<int>(row.size())) + k, y = top + r;
      if (symmetry & 1) x = side - 1 - x;
      if (symmetry & 2) y = side - 1 - y;
      if (symmetry & 4) std::swap(x, y);
      d.cells[y][x] = row[k] == 'X' ? 1 : row[k] == 'O' ? 2 : row[k] == '#' ? 3 : 0;
      if (row[k] == '*') {
        d.x = x;
        d.y = y;
      }
    }
  }
  return d;
}

void LayOnEngine(const Cells& cells, int toMove) {
  const auto height = static_cast<int16_t>(cells.size());
  const auto width = static_cast<int16_t>(cells[0].size());
  EXPECT_TRUE(Tessel_SetBoardSize(width, height));
  for (int16_t y = 0; y < height; ++y) {
    for (int16_t x = 0; x < width; ++x) {
      const int cell = cells[y][x];
      if (cell == 3) {
        EXPECT_TRUE(Tessel_BlockSquare(x, y));
      }
      if (cell == 1 || cell == 2) Tessel_PutStone(x, y, static_cast<int16_t>(cell));
    }
  }
  Tessel_SetSideToMove(static_cast<int16_t>(toMove));
}

Drawing LayCase(const std::string& fileName, const std::string& name, int toMove) {
  for (const DataCase& c : ReadCases(fileName)) {
    if (c.name != name) continue;
    const Drawing d = Draw(c, 20);
    LayOnEngine(d.cells, toMove);
    return d;
  }
  ADD_FAILURE() << "no case " << name << " in " << fileName;
  return {};
}
