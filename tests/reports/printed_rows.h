// What the last report run through the frame printed, row by row, as the test's output is handed
// it: the tests that start reports through windows or by name read their runs here.
#pragma once

#include <utility>
#include <vector>

#include "reports/frame.h"

namespace printed_rows {

struct Printed {
    std::vector<reports::ReportRow> rows;
    int pages = 0;
};

// The last run's, replaced by each run whose output is a RowsOutput.
inline Printed &last()
{
    static Printed p;
    return p;
}
inline const std::vector<reports::ReportRow> &rows() { return last().rows; }
inline int pages() { return last().pages; }
// Before a test: no run of an earlier test is taken for one of this test's.
inline void forget() { last() = {}; }

// An output that reads the rows of its runs into last().
struct RowsOutput : reports::ReportOutput {
    bool readsRows() override { return true; }
    void printed(std::vector<reports::ReportRow> rows, int pages) override { last() = {std::move(rows), pages}; }
};

}  // namespace printed_rows
