#include "shared/trig.h"

#include <cmath>

namespace core {

namespace {

// A double-double: the unevaluated sum hi + lo with |lo| <= half an ulp of hi.
struct Dd {
    double hi;
    double lo;
};

Dd TwoSum(double a, double b) {
    const double s = a + b;
    const double bb = s - a;
    return {s, (a - (s - bb)) + (b - bb)};
}

Dd FastTwoSum(double a, double b) {  // |a| >= |b|
    const double s = a + b;
    return {s, b - (s - a)};
}

// Veltkamp's split and Dekker's exact product: no fused multiply-add, which not every target
// has and which the build keeps the compiler from forming.
Dd TwoProduct(double a, double b) {
    constexpr double kSplitter = 134217729.0;  // 2^27 + 1
    const double ca = kSplitter * a;
    const double ah = ca - (ca - a);
    const double al = a - ah;
    const double cb = kSplitter * b;
    const double bh = cb - (cb - b);
    const double bl = b - bh;
    const double p = a * b;
    return {p, ((ah * bh - p) + ah * bl + al * bh) + al * bl};
}

Dd Add(Dd a, Dd b) {
    const Dd s = TwoSum(a.hi, b.hi);
    const Dd t = TwoSum(a.lo, b.lo);
    Dd u = FastTwoSum(s.hi, s.lo + t.hi);
    return FastTwoSum(u.hi, u.lo + t.lo);
}

Dd Multiply(Dd a, Dd b) {
    const Dd p = TwoProduct(a.hi, b.hi);
    return FastTwoSum(p.hi, p.lo + (a.hi * b.lo + a.lo * b.hi));
}

Dd DivideBy(Dd a, double b) {
    const double q1 = a.hi / b;
    const Dd p = TwoProduct(q1, b);
    const double q2 = ((a.hi - p.hi) - p.lo + a.lo) / b;
    return FastTwoSum(q1, q2);
}

// pi/2 in four parts; the first three have 33 significant bits, so n times any of them is exact
// for |n| < 2^20.
constexpr double kPio2Part1 = 1.57079632673412561417e+00;
constexpr double kPio2Part2 = 6.07710050630396597660e-11;
constexpr double kPio2Part3 = 2.02226624871116645580e-21;
constexpr double kPio2Part4 = 8.47842766036889956997e-32;
constexpr double kTwoOverPi = 6.36619772367581382433e-01;
constexpr double kLargest = 800000.0;

// x - n pi/2, |result| <= about pi/4.
Dd Reduce(double x, double n) {
    const double t1 = x - n * kPio2Part1;  // exact: n * part 1 is exact and close to x
    const Dd t2 = TwoSum(t1, -(n * kPio2Part2));
    const Dd t3 = TwoSum(t2.hi, -(n * kPio2Part3));
    const Dd tail = TwoSum(t2.lo, t3.lo);
    return Add({t3.hi, 0.0}, {tail.hi, tail.lo - n * kPio2Part4});
}

// sin r and cos r for |r| <= pi/4 by their Taylor series, until a term no longer counts. Slow;
// it only builds the table below.
void SeriesSinCos(Dd r, Dd& sine, Dd& cosine) {
    constexpr double kNegligible = 0x1p-110;
    const Dd r2 = Multiply(r, r);
    sine = r;
    cosine = {1.0, 0.0};
    Dd sinTerm = r;
    Dd cosTerm = {1.0, 0.0};
    for (int k = 1; k < 16; ++k) {
        const double odd = static_cast<double>(2 * k);
        sinTerm = DivideBy(Multiply(sinTerm, r2), -(odd * (odd + 1)));
        sine = Add(sine, sinTerm);
        cosTerm = DivideBy(Multiply(cosTerm, r2), -((odd - 1) * odd));
        cosine = Add(cosine, cosTerm);
        if (std::fabs(sinTerm.hi) < kNegligible * std::fabs(sine.hi) &&
            std::fabs(cosTerm.hi) < kNegligible * std::fabs(cosine.hi)) {
            break;
        }
    }
}

// sin and cos of a = k/64 for k = 0 .. 51 (pi/4 is 50.3/64), and the Taylor coefficients the
// short series below needs, all in double-double.
constexpr int kSteps = 64;
constexpr int kTableSize = 52;
struct Tables {
    Dd sin[kTableSize];
    Dd cos[kTableSize];
    Dd sixth;         // 1/6
    Dd oneTwentieth;  // 1/120
    Dd half;          // 1/2
    Dd twentyFourth;  // 1/24
    Dd seven20th;     // 1/720

    Tables()
        : sixth(DivideBy({1.0, 0.0}, 6.0)),
          oneTwentieth(DivideBy({1.0, 0.0}, 120.0)),
          half{0.5, 0.0},
          twentyFourth(DivideBy({1.0, 0.0}, 24.0)),
          seven20th(DivideBy({1.0, 0.0}, 720.0)) {
        for (int k = 0; k < kTableSize; ++k) {
            SeriesSinCos({static_cast<double>(k) / kSteps, 0.0}, sin[k], cos[k]);
        }
    }
};

const Tables& Table() {
    static const Tables tables;
    return tables;
}

Dd Negate(Dd a) {
    return {-a.hi, -a.lo};
}

// sin r and cos r for |r| <= pi/4: r = a + t with a = k/64 from the table and |t| <= 1/128, so
// short series in t suffice; their last terms are far below the result's last bit and are
// summed in plain doubles.
void SinCosReduced(Dd r, Dd& sine, Dd& cosine) {
    const Tables& table = Table();
    const double k = std::nearbyint(r.hi * kSteps);
    const double a = k / kSteps;
    const Dd t = TwoSum(r.hi - a, r.lo);  // r.hi - a is exact: the two are that close
    const Dd u = Multiply(t, t);
    const double uh = u.hi;

    // sin t = t + t u (-1/6 + u/120) + t u^3 (-1/5040 + u/362880 - u^2/39916800)
    const double sinTail =
        t.hi * uh * uh * uh * (-1.0 / 5040 + uh * (1.0 / 362880 - uh * (1.0 / 39916800)));
    const Dd sinInner = Add(Negate(table.sixth), Multiply(u, table.oneTwentieth));
    const Dd sinT = Add(t, Add(Multiply(Multiply(t, u), sinInner), {sinTail, 0.0}));

    // cos t = 1 + u (-1/2 + u (1/24 - u/720)) + u^4 (1/40320 - u/3628800 + u^2/479001600)
    const double cosTail =
        uh * uh * uh * uh * (1.0 / 40320 - uh * (1.0 / 3628800 - uh * (1.0 / 479001600)));
    const Dd cosInner =
        Add(Negate(table.half),
            Multiply(u, Add(table.twentyFourth, Negate(Multiply(u, table.seven20th)))));
    const Dd cosT = Add({1.0, 0.0}, Add(Multiply(u, cosInner), {cosTail, 0.0}));

    const auto index = static_cast<int>(std::fabs(k));
    const Dd sinA = k < 0 ? Negate(table.sin[index]) : table.sin[index];
    const Dd cosA = table.cos[index];
    sine = Add(Multiply(sinA, cosT), Multiply(cosA, sinT));
    cosine = Add(Multiply(cosA, cosT), Negate(Multiply(sinA, sinT)));
}

// Quadrant q of x: sin x and cos x from sin r and cos r.
double Pick(int which, Dd sine, Dd cosine) {
    switch (which & 3) {
        case 0:
            return sine.hi + sine.lo;
        case 1:
            return cosine.hi + cosine.lo;
        case 2:
            return -(sine.hi + sine.lo);
        default:
            return -(cosine.hi + cosine.lo);
    }
}

}  // namespace

void SinCos(double x, double& sine, double& cosine) {
    if (!(std::fabs(x) <= kLargest)) {
        sine = std::sin(x);
        cosine = std::cos(x);
        return;
    }
    const double n = std::nearbyint(x * kTwoOverPi);
    Dd s;
    Dd c;
    SinCosReduced(Reduce(x, n), s, c);
    // sin(r + q pi/2) is sin r, cos r, -sin r, -cos r; cos(r + q pi/2) the same one step on.
    const auto quadrant = static_cast<int>(static_cast<long long>(n) & 3);
    sine = x == 0 ? x : Pick(quadrant, s, c);  // keeps the sign of zero
    cosine = Pick(quadrant + 1, s, c);
}

double Sin(double x) {
    double sine = 0;
    double cosine = 0;
    SinCos(x, sine, cosine);
    return sine;
}

double Cos(double x) {
    double sine = 0;
    double cosine = 0;
    SinCos(x, sine, cosine);
    return cosine;
}

}  // namespace core
