#pragma once

// Tells the fuzzer which class of outcome an input reached in code it cannot see into (the
// picture decoders). Only the fuzz build gives it meaning; elsewhere it just costs a few
// comparisons.

namespace fuzz {

inline constexpr int kFormats =
    12;  // none, bmp, png, gif, jpeg, ico, ppm, pbm, pgm, xbm, xpm, other
inline constexpr int kResults = 6;  // see Outcome::result

struct Outcome {
    int format = 0;
    // 0 decoded and accepted as a sheet, 1 decoded but not a sheet, 2 unsupported format,
    // 3 unreadable data, 4 refused as too large, 5 any other failure.
    int result = 0;
    int widthBits = 0;  // bit length of the decoded width, 0 to 32
    int heightBits = 0;
};

void NoteOutcome(const Outcome& outcome);

}  // namespace fuzz
