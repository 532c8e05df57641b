// Savitzky-Golay weights from Gram polynomials. The products keep one order
// of multiplication and nothing is contracted into fused operations, so the
// rounded fixed-point tables are the same on every processor.
#include "gnr_picture/PicBufAPI/LxGolayFilter.h"

namespace lxpic
{

double GolayGramPoly(int i, int m, int k, int s)
{
    if (k > 0) {
        const int denominator = k * (2 * m - k + 1);
        const double a = double(4 * k - 2) / double(denominator);
        const double b = double((2 * m + k) * (k - 1)) / double(denominator);
        const double first = double(i) * GolayGramPoly(i, m, k - 1, s) +
                             double(s) * GolayGramPoly(i, m, k - 1, s - 1);
        const double second = GolayGramPoly(i, m, k - 2, s);
        const double left = a * first;
        const double right = b * second;
        return left - right;
    }
    return k == 0 && s == 0 ? 1.0 : 0.0;
}

double GolayGenFact(int a, int b)
{
    double gf = 1.0;
    for (int j = a - b + 1; j <= a; ++j)
        gf *= double(j);
    return gf;
}

double GolayWeight(int i, int t, int m, int n, int s)
{
    double sum = 0.0;
    for (int k = 0; k <= n; ++k) {
        const double ratio = GolayGenFact(2 * m, k) / GolayGenFact(2 * m + k + 1, k + 1);
        double term = GolayGramPoly(t, m, k, s) * ratio;
        term = term * double(2 * k + 1);
        term = term * GolayGramPoly(i, m, k, 0);
        sum = sum + term;
    }
    return sum;
}

} // namespace lxpic
