#pragma once

// What each fuzz target does with one input. Both return an empty string when every property
// held, or a description of the first one that did not; the libFuzzer entry aborts on it, and
// the regression test in the normal build runs the seeds and every saved finding through the
// same functions.

#include <cstdint>
#include <span>
#include <string>

namespace fuzz {

// Arbitrary bytes as a board file: decoded from memory and loaded from a file (both must agree,
// and accept exactly the files whose header fits their length), re-encoded, drawn, and played
// for a few frames with free balls over the board, then every cell hit once.
std::string CheckBoardInput(std::span<const std::uint8_t> data);

// Arbitrary bytes as a picture file, through the picture loader (qt_picture), the sheet check
// and the brick table, then brick reads beyond the sheet.
std::string CheckSheetInput(std::span<const std::uint8_t> data);

}  // namespace fuzz
