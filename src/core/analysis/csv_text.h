#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace orvendi {

// The shortest text that reads back to the same double, with '.' as the decimal point whatever
// the locale ("0.1", "1e-06", "inf", "-0").
std::string NumberText(double value);

// A number cell: NumberText, or nothing for NaN, which stands for "no value".
void AppendCsvNumber(std::string& out, double value);
// Further number cells, each after a comma.
void AppendCsvNumbers(std::string& out, std::initializer_list<double> values);
void AppendCsvInteger(std::string& out, std::int64_t value);
// The line of one grid point: its index pair, then the numbers.
void AppendCsvGridLine(std::string& out, int first_index, int second_index,
                       std::initializer_list<double> values);
// A text cell, quoted (quotes doubled) when it holds a comma, a quote or a line break.
void AppendCsvText(std::string& out, std::string_view text);

}  // namespace orvendi
