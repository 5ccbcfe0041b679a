// Makes the sample projects in this folder, always the same bytes:
//   PEQUENO.NVR  a small field, 20 x 15 stakes, 20 m apart;
//   FAZENDA.NVR  a large field, 300 x 200 stakes, 20 m apart, with an
//                irregular boundary, gentle slopes, undulations and survey
//                noise of about a centimetre;
//   PONTOS.csv   a GNSS survey of scattered points (UTM zone 22 south, in
//                metres, semicolons and decimal commas as Brazilian
//                spreadsheets write them) over an L-shaped rice field, for
//                "Importar Pontos..." and nivora-cli points.
// Usage: nivora-make-examples OUTPUT_FOLDER

#include "data/SaveOpen.h"

#include "calc/CalcSist.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <random>

using namespace nivora;

namespace {

// Normal deviates from the generator's raw output (Box-Muller), so the files
// do not depend on a library's distribution code.
class Noise {
public:
    explicit Noise(std::uint32_t seed) : rng_(seed) {}
    double Uniform() { return (static_cast<double>(rng_()) + 0.5) / 4294967296.0; }
    double Normal(double sigma)
    {
        const double u = Uniform(), v = Uniform();
        return sigma * std::sqrt(-2.0 * std::log(u)) * std::cos(6.283185307179586 * v);
    }

private:
    std::mt19937 rng_;
};

void Small(const std::filesystem::path& out)
{
    TTerreno t(20, 20, 20.0f, 20.0f);
    t.SetOrigin(OriginForStake(1, 20.0f), OriginForStake(1, 20.0f));
    Noise noise(1501);
    t.SetAutoExtremes(false);
    for (int r = 1; r <= 15; ++r)
        for (int c = 1; c <= 20; ++c) {
            const double z = 100.0 - 0.004 * 20 * (c - 1) + 0.0025 * 20 * (r - 1)
                             + 0.15 * std::sin(c * 0.45) * std::cos(r * 0.3) + noise.Normal(0.01);
            t.SetCell(c, r, static_cast<float>(std::round(z * 1000.0) / 1000.0));
        }
    t.SetAutoExtremes(true);
    SaveProjectFile(out, t, TViewState{1, 1, 1, 1, 1, 1, 1, 1});
}

void Large(const std::filesystem::path& out)
{
    const int cols = 300, rows = 200;
    TTerreno t(cols, rows, 20.0f, 20.0f);
    t.SetOrigin(312000.0L, 7455000.0L);  // UTM-like coordinates, as surveys bring them
    Noise noise(20261207);
    // A wavy boundary: each row keeps a stretch of columns whose ends wander.
    double left = 12, right = 288;
    t.SetAutoExtremes(false);
    for (int r = 1; r <= rows; ++r) {
        left += noise.Normal(0.8);
        right += noise.Normal(0.8);
        left = std::clamp(left, 1.0, 60.0);
        right = std::clamp(right, 240.0, 300.0);
        // The field narrows towards its top and bottom edges.
        const double edge = std::min(r, rows + 1 - r);
        const int lo = static_cast<int>(left + (edge < 25 ? (25 - edge) * 2.2 : 0));
        const int hi = static_cast<int>(right - (edge < 25 ? (25 - edge) * 1.6 : 0));
        for (int c = lo; c <= hi; ++c) {
            const double x = 20.0 * (c - 1), y = 20.0 * (r - 1);
            const double z = 534.0 + 0.0035 * x - 0.0012 * y + 0.6 * std::sin(x / 900.0) * std::cos(y / 700.0)
                             + 0.25 * std::sin(x / 260.0 + y / 410.0) + noise.Normal(0.01);
            t.SetCell(c, r, static_cast<float>(std::round(z * 1000.0) / 1000.0));
        }
    }
    t.SetAutoExtremes(true);
    // Opens scrolled into the field, the cursor on a stake.
    SaveProjectFile(out, t, TViewState{40, 60, 30, 50, 40, 60, 40, 60});
}

void Points(const std::filesystem::path& out)
{
    const double e0 = 331200.0, n0 = 6674800.0;
    Noise noise(2217);
    // The north-east corner (the farm's yard) was not surveyed.
    const auto inField = [](double x, double y) { return x < 260 || y < 170; };
    const auto ground = [](double x, double y) {
        return 41.8 + 0.0012 * x - 0.0021 * y + 0.12 * std::sin(x / 70.0) * std::cos(y / 55.0);
    };
    std::string text = "Ponto;Este;Norte;Cota;Codigo\n";
    char line[128];
    int n = 0;
    const auto add = [&](double x, double y, const char* code) {
        const double z = ground(x, y) + noise.Normal(0.01);
        std::snprintf(line, sizeof line, "P%d;%.3f;%.3f;%.3f;%s\n", ++n, e0 + x, n0 + y, z, code);
        text += line;
    };
    // The edges walked every 15 m or so, then the inside in passes.
    for (double x = 0; x <= 400; x += 15)
        add(x, 0, "BORDA");
    for (double y = 15; y <= 170; y += 15)
        add(400, y, "BORDA");
    for (double x = 400; x >= 260; x -= 15)
        add(x, 170, "BORDA");
    for (double y = 170; y <= 300; y += 15)
        add(260, y, "BORDA");
    for (double x = 245; x >= 0; x -= 15)
        add(x, 300, "BORDA");
    for (double y = 285; y > 0; y -= 15)
        add(0, y, "BORDA");
    while (n < 700) {
        const double x = 400 * noise.Uniform(), y = 300 * noise.Uniform();
        if (inField(x, y))
            add(x, y, "TN");
    }
    // Decimal commas: the file reads as a spreadsheet here writes it.
    std::replace(text.begin(), text.end(), '.', ',');
    std::ofstream(out, std::ios::binary) << text;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "uso: nivora-make-examples PASTA\n";
        return 64;
    }
    const std::filesystem::path dir = argv[1];
    Small(dir / "PEQUENO.NVR");
    Large(dir / "FAZENDA.NVR");
    Points(dir / "PONTOS.csv");
    std::cout << "PEQUENO.NVR, FAZENDA.NVR e PONTOS.csv gravados em " << dir.string() << "\n";
    return 0;
}
