#pragma once

// Sine and cosine that give the same bits on every machine and in every build. The C libraries
// do not: glibc picks a different code path on processors with fused multiply-add (and then
// differs from itself without it in about one result in a thousand), and the browser build's
// library differs from glibc in about one result in twenty, by one unit in the last place. The
// ball rules add Speed x cos to a single-precision position, so such a difference only rarely
// shows; but a replay must not depend on where it runs.
//
// Both are evaluated in double-double arithmetic (about 104 bits) with plain IEEE additions and
// multiplications (a table of 52 angles and short series around them), then rounded once, so
// they return the correctly rounded result except where the true value lies within 2^-100 of a
// midpoint between two doubles (none is known in the game's range). That is also what glibc
// returns for all but a few results in a thousand. A call costs about 0.1 microseconds, about
// five times glibc's, so the desktop game keeps glibc's functions and the browser build, whose
// library differs from glibc far more often, moves its balls with these.

namespace core {

// Arguments up to 800 000 in magnitude; larger ones (never an angle of the game) and NaNs fall
// back to the C library.
double Sin(double x);
double Cos(double x);
// Both at once, for the price of one.
void SinCos(double x, double& sine, double& cosine);

}  // namespace core
