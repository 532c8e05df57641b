// Turns builtin_probes.tsv into the source of the built-in probe table: one
// constexpr row array and one flat array of the spectra's values times 10^6.
// The band shapes are evaluated exactly as fit_builtin_probes.py does, so the
// colours it wrote belong to these values.
//
//   make_builtin_probes <builtin_probes.tsv> <output.cpp>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace
{

struct SShape {
    double sl, sr, sa, so, sw;
};

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "make_builtin_probes: %s\n", what.c_str());
    std::exit(1);
}

double Band(double x, double peak, const SShape& s)
{
    const double t = (x - peak) / (x < peak ? s.sl : s.sr);
    const double u = (x - (peak + s.so)) / s.sw;
    return std::exp(-0.5 * t * t) + s.sa * std::exp(-0.5 * u * u);
}

// The values times 10^6, rounded half up, of a band over the grid.
void AppendValues(const std::vector<uint32_t>& grid, double peak, double peakValue,
                  const SShape& shape, std::vector<int32_t>& out)
{
    const double top = Band(peak, peak, shape);
    for (uint32_t nm : grid) {
        const double v = peakValue * (Band(double(nm), peak, shape) / top);
        const double micro = std::floor(v * 1e6 + 0.5);
        if (!(std::fabs(micro) < 2147483647.0))
            Fail("a value out of range");
        out.push_back(int32_t(micro));
    }
}

std::vector<std::string> Split(const std::string& line)
{
    std::vector<std::string> cells;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        cells.push_back(
            line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
        if (tab == std::string::npos)
            return cells;
        start = tab + 1;
    }
}

// UTF-8 text as the body of a u"" literal: ASCII as is (quote and backslash
// escaped), everything else as \u or \U escapes.
std::string Utf16Literal(const std::string& text)
{
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = text[i];
        uint32_t cp = c;
        size_t n = 1;
        if (c >= 0xF0)
            cp = c & 0x07, n = 4;
        else if (c >= 0xE0)
            cp = c & 0x0F, n = 3;
        else if (c >= 0xC0)
            cp = c & 0x1F, n = 2;
        else if (c >= 0x80)
            Fail("bad UTF-8 in " + text);
        if (i + n > text.size())
            Fail("cut UTF-8 in " + text);
        for (size_t k = 1; k < n; ++k)
            cp = cp << 6 | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        i += n;
        char buf[16];
        if (cp == '"' || cp == '\\') {
            out += '\\';
            out += char(cp);
        } else if (cp >= 0x20 && cp < 0x7F) {
            out += char(cp);
        } else {
            std::snprintf(buf, sizeof buf, cp > 0xFFFF ? "\\U%08X" : "\\u%04X", unsigned(cp));
            out += buf;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        Fail("usage: make_builtin_probes <builtin_probes.tsv> <output.cpp>");
    std::ifstream in(argv[1], std::ios::binary);
    if (!in)
        Fail(std::string("cannot read ") + argv[1]);

    std::vector<std::string> columns;
    std::ostringstream rows;
    std::vector<int32_t> values;
    uint32_t rowCount = 0;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        const std::vector<std::string> cells = Split(line);
        if (columns.empty()) {
            columns = cells;
            continue;
        }
        if (cells.size() != columns.size())
            Fail("row " + std::to_string(rowCount) + " has " + std::to_string(cells.size()) +
                 " cells");
        std::map<std::string, std::string> row;
        for (size_t i = 0; i < cells.size(); ++i)
            row[columns[i]] = cells[i];
        auto number = [&](const char* key) {
            const std::string& cell = row[key];
            char* end = nullptr;
            const double v = std::strtod(cell.c_str(), &end);
            if (cell.empty() || *end)
                Fail("row " + row["index"] + ": bad " + key + " '" + cell + "'");
            return v;
        };
        auto whole = [&](const char* key) { return uint32_t(number(key)); };
        auto shape = [&](const std::string& p) {
            return SShape{number((p + "sl").c_str()), number((p + "sr").c_str()),
                          number((p + "sa").c_str()), number((p + "so").c_str()),
                          number((p + "sw").c_str())};
        };
        if (whole("index") != rowCount)
            Fail("rows out of order at " + row["index"]);

        const uint32_t excFirst = whole("exc_first"), excLast = whole("exc_last");
        const uint32_t excJump = whole("exc_jump");
        const uint32_t emsFirst = whole("ems_first"), emsLast = whole("ems_last");
        std::vector<uint32_t> excGrid, emsGrid;
        for (uint32_t nm = excFirst; nm <= (excJump ? excJump : excLast); ++nm)
            excGrid.push_back(nm);
        if (excJump)
            excGrid.push_back(excLast);
        for (uint32_t nm = emsFirst; nm <= emsLast; ++nm)
            emsGrid.push_back(nm);

        const size_t offset = values.size();
        AppendValues(excGrid, number("exc_peak_nm"), number("exc_peak"), shape("exc_"), values);
        AppendValues(emsGrid, number("ems_peak_nm"), number("ems_peak"), shape("ems_"), values);

        const std::string& name = row["name"];
        std::string abbrev = row["abbrev"];
        if (abbrev.empty())
            abbrev = name.substr(0, name.find('/'));
        const unsigned long colour = std::strtoul(row["colour"].c_str(), nullptr, 16);
        const uint32_t excRun = excJump ? excJump - excFirst + 1 : uint32_t(excGrid.size());
        rows << "    {u\"" << Utf16Literal(name) << "\", u\"" << Utf16Literal(abbrev) << "\", "
             << row["group"] << ", 0x" << std::hex << colour << std::dec << ", " << excFirst << ", "
             << excGrid.size() << ", " << excRun << ", " << (excJump ? excLast : 0) << ", "
             << emsFirst << ", " << emsGrid.size() << ", " << offset << "},\n";
        ++rowCount;
    }
    if (rowCount == 0)
        Fail("no rows");

    std::ofstream out(argv[2], std::ios::binary);
    out << "// Generated by make_builtin_probes from builtin_probes.tsv; do not edit.\n"
           "#include \"gnr_metaformats/LxFluoProbeBuiltin.h\"\n\n"
           "constexpr SLxBuiltinProbeRow g_LxBuiltinProbeRows[] = {\n"
        << rows.str()
        << "};\n"
           "constexpr uint32_t g_uiLxBuiltinProbeRows = "
        << rowCount
        << ";\n\n"
           "constexpr int32_t g_LxBuiltinProbeValues[] = {\n";
    for (size_t i = 0; i < values.size(); ++i)
        out << (i % 10 == 0 ? "    " : " ") << values[i] << (i % 10 == 9 ? ",\n" : ",");
    out << "\n};\n"
           "constexpr uint32_t g_uiLxBuiltinProbeValues = "
        << values.size() << ";\n";
    out.close();
    if (!out)
        Fail(std::string("cannot write ") + argv[2]);
    return 0;
}
