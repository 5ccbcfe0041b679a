#include "CalcSist.h"

#include "calc/Settlement.h"
#include "data/ByteStream.h"
#include "data/NumberUtils.h"
#include "data/UCotas.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <optional>
#include <vector>

namespace nivora {

namespace {
// Independent accumulators per pass: they let the processor overlap the
// additions instead of waiting on one running sum.
constexpr int kLanes = 2;

// Calls stake(k, lane) for k = 0..width-1, the lanes taking turns.
template <class Stake>
inline void ForEachInLanes(std::int32_t width, Stake&& stake)
{
    std::int32_t k = 0;
    for (; k + kLanes <= width; k += kLanes)
        for (int l = 0; l < kLanes; ++l)
            stake(k + l, l);
    for (; k < width; ++k)
        stake(k, 0);
}
}  // namespace

// ---------------------------------------------------------------- plan record

std::string TShortText::Str() const { return std::string(Chars.data(), std::min<std::size_t>(Length, kCapacity)); }

void TShortText::Assign(std::string_view cp1252)
{
    const std::size_t n = std::min(cp1252.size(), kCapacity);
    Length = static_cast<std::uint8_t>(n);
    std::copy_n(cp1252.begin(), n, Chars.begin());
}

namespace {

void WriteReal(TByteWriter& s, const Real48& r)
{
    const auto b = r.ToBytes();
    s.Write(b.data(), b.size());
}

bool ReadReal(TByteReader& s, Real48& r)
{
    std::uint8_t b[6];
    if (!s.Read(b, 6))
        return false;
    r = Real48::FromBytes(b);
    return true;
}

void WriteText(TByteWriter& s, const TShortText& t)
{
    s.WriteU8(t.Length);
    s.Write(t.Chars.data(), t.Chars.size());
}

bool ReadText(TByteReader& s, TShortText& t) { return s.ReadU8(t.Length) && s.Read(t.Chars.data(), t.Chars.size()); }

}  // namespace

void TPlano::Write(TByteWriter& s) const
{
    for (const Real48* r : {&Sx, &Sy, &OriginElevation, &CutVolume, &FillVolume, &CutFillRatio, &MaxCut, &MaxFill})
        WriteReal(s, *r);
    s.WriteI32(CutCount);
    s.WriteI32(FillCount);
    WriteText(s, SxText);
    WriteText(s, SyText);
    WriteText(s, RatioText);
    s.WriteBool(Valid);
    s.Write(Reserved.data(), Reserved.size());
}

bool TPlano::Read(TByteReader& s)
{
    for (Real48* r : {&Sx, &Sy, &OriginElevation, &CutVolume, &FillVolume, &CutFillRatio, &MaxCut, &MaxFill})
        if (!ReadReal(s, *r))
            return false;
    return s.ReadI32(CutCount) && s.ReadI32(FillCount) && ReadText(s, SxText) && ReadText(s, SyText)
           && ReadText(s, RatioText) && s.ReadBool(Valid) && s.Read(Reserved.data(), Reserved.size());
}

// -------------------------------------------------------------------- terrain

TTerreno::TTerreno(std::int32_t columns, std::int32_t rows, float lx, float ly)
    : Store_(columns, rows), Lx_(lx), Ly_(ly)
{
    Selection_ = {1, 1, columns, rows};
    LimitGrowthToGeometry();
}

TTerreno::TOwnedStore::TOwnedStore(std::int32_t columns, std::int32_t rows)
    : Store_(std::make_unique<TCotas>(columns, rows))
{}
TTerreno::TOwnedStore::TOwnedStore(const TOwnedStore& other) : Store_(std::make_unique<TCotas>(*other.Store_)) {}
TTerreno::TOwnedStore& TTerreno::TOwnedStore::operator=(const TOwnedStore& other)
{
    *Store_ = *other.Store_;
    return *this;
}
TTerreno::TOwnedStore::~TOwnedStore() = default;

// The store's operations, passed on. Defined here so that the terrain's
// header need not know the store; the terrain's own computations below are
// compiled with them and lose nothing.
float TTerreno::GetCell(std::int32_t col, std::int32_t row) const { return Store_->GetCell(col, row); }
void TTerreno::SetCell(std::int32_t col, std::int32_t row, float value) { Store_->SetCell(col, row, value); }
void TTerreno::ClearRect(const TUsedRect& rect) { Store_->ClearRect(rect); }
void TTerreno::SetRowCells(std::int32_t col, std::int32_t row, const float* values, std::size_t count)
{
    Store_->SetRowCells(col, row, values, count);
}
bool TTerreno::Resize(std::int32_t addCols, std::int32_t addRows) { return Store_->Resize(addCols, addRows); }
bool TTerreno::InsertRow(std::int32_t row)
{
    if (!Store_->InsertRow(row))
        return false;
    DropLayerHeights();
    return true;
}
void TTerreno::DeleteRow(std::int32_t row)
{
    Store_->DeleteRow(row);
    DropLayerHeights();
}
bool TTerreno::InsertColumn(std::int32_t col)
{
    if (!Store_->InsertColumn(col))
        return false;
    DropLayerHeights();
    return true;
}
void TTerreno::DeleteColumn(std::int32_t col)
{
    Store_->DeleteColumn(col);
    DropLayerHeights();
}
void TTerreno::SetMinimum(const TCotaPoint& p) { Store_->SetMinimum(p); }
void TTerreno::SetMaximum(const TCotaPoint& p) { Store_->SetMaximum(p); }
void TTerreno::SetExtremesValid(bool flag) { Store_->SetExtremesValid(flag); }
void TTerreno::SetAutoExtremes(bool flag) { Store_->SetAutoExtremes(flag); }
void TTerreno::RecomputeExtremes() { Store_->RecomputeExtremes(); }
TUsedRect TTerreno::ComputeUsedRect() const { return Store_->ComputeUsedRect(); }
void TTerreno::UpdateUsedRect() { Store_->UpdateUsedRect(); }
const std::vector<float>& TTerreno::Cells() const { return Store_->Cells(); }
const float* TTerreno::RowData(std::int32_t row) const { return Store_->RowData(row); }
TCotaPoint TTerreno::Minimum() const { return Store_->Minimum(); }
TCotaPoint TTerreno::Maximum() const { return Store_->Maximum(); }
bool TTerreno::ExtremesValid() const { return Store_->ExtremesValid(); }
bool TTerreno::AutoExtremes() const { return Store_->AutoExtremes(); }
bool TTerreno::ResultsValid() const { return Store_->ResultsValid(); }
std::int32_t TTerreno::ColCount() const { return Store_->ColCount(); }
std::int32_t TTerreno::RowCount() const { return Store_->RowCount(); }
std::int32_t TTerreno::ValueCount() const { return Store_->ValueCount(); }
TUsedRect TTerreno::UsedRect() const { return Store_->UsedRect(); }
bool TTerreno::Modified() const { return Store_->Modified(); }
bool TTerreno::Saved() const { return Store_->Saved(); }
std::int32_t TTerreno::MaxColCount() const { return Store_->MaxColCount(); }
std::int32_t TTerreno::MaxRowCount() const { return Store_->MaxRowCount(); }
void TTerreno::SetOnExtremesChange(std::function<void(TCotas&)> handler)
{
    Store_->SetOnExtremesChange(std::move(handler));
}
void TTerreno::SetSaved(bool flag) { Store_->SetSaved(flag); }
void TTerreno::InvalidateResults() { Store_->InvalidateResults(); }
void TTerreno::SetResultsValid(bool flag) { Store_->SetResultsValid(flag); }
void TTerreno::SetModified(bool flag) { Store_->SetModified(flag); }

bool TTerreno::StakesFit(long double origin, long double spacing, std::int32_t count)
{
    return spacing > 0.0L && std::fabs(origin) + spacing * (count - 1) < static_cast<long double>(FLT_MAX) / 2;
}

void TTerreno::LimitGrowthToGeometry()
{
    // The test is monotone in the count: the largest count that passes it is
    // found by halving. A spacing that is not positive sets no limit (no
    // file holds it whatever the size).
    const auto largest = [](long double origin, long double spacing) {
        if (!(spacing > 0.0L) || StakesFit(origin, spacing, MaxGridSize))
            return MaxGridSize;
        std::int32_t fits = 0, fails = MaxGridSize;
        while (fails - fits > 1) {
            const std::int32_t mid = fits + (fails - fits) / 2;
            (StakesFit(origin, spacing, mid) ? fits : fails) = mid;
        }
        return fits;
    };
    Store_->LimitGrowth(largest(OriginX_, Lx_), largest(OriginY_, Ly_));
}

TUsedRect TTerreno::GetSelection() const
{
    return Selection_ == TUsedRect{0, 0, 0, 0} ? ComputeUsedRect() : Selection_;
}

namespace {

// The part of a rectangle that lies on the grid; rows and columns outside it
// hold no elevation and take part in nothing.
TUsedRect Clip(const TUsedRect& r, std::int32_t cols, std::int32_t rows)
{
    return {std::max(r.FirstCol, 1), std::max(r.FirstRow, 1), std::min(r.LastCol, cols), std::min(r.LastRow, rows)};
}

}  // namespace

bool TTerreno::HasComputableBlock() const
{
    const TUsedRect r = Clip(GetSelection(), ColCount(), RowCount());
    for (std::int32_t j = r.FirstRow; j < r.LastRow; ++j) {
        const float* a = RowData(j);
        const float* b = RowData(j + 1);
        for (std::int32_t i = r.FirstCol; i < r.LastCol; ++i)
            if (a[i - 1] != 0.0f && a[i] != 0.0f && b[i - 1] != 0.0f && b[i] != 0.0f)
                return true;
    }
    return false;
}

bool TTerreno::ComputeBestPlane()
{
    StartProgress("Calculando o melhor plano.");
    const TUsedRect sel = GetSelection();
    const TUsedRect r = Clip(sel, ColCount(), RowCount());

    // The three normal equations of the plane are solved by Cramer's rule,
    // on coordinates and elevations taken relative to the selection's first
    // stake and first elevation and summed in extended precision: far from
    // the origin the raw sums would cancel away the plane.
    const float x0 = StakeX(sel.FirstCol);
    const float y0 = StakeY(sel.FirstRow);
    // Within a row the sums run in double over kLanes lanes (coordinates
    // relative to the first stake are multiples of the spacing, elevations
    // relative to the first one differences of singles: the products are
    // mostly exact); rows gather in extended precision.
    std::vector<double> xr(std::size_t(std::max(0, r.LastCol - r.FirstCol + 1)));
    for (std::int32_t i = r.FirstCol; i <= r.LastCol; ++i)
        xr[std::size_t(i - r.FirstCol)] = static_cast<double>(static_cast<long double>(StakeX(i)) - x0);

    bool haveReference = false;
    float zRef = 0.0f;
    std::int64_t n = 0;
    long double sx = 0, sxx = 0, sy = 0, syy = 0, sxy = 0, sxz = 0, syz = 0, sz = 0;
    const int total = sel.LastRow - sel.FirstRow;
    for (std::int32_t j = sel.FirstRow; j <= sel.LastRow; ++j) {
        if (j >= r.FirstRow && j <= r.LastRow) {
            const long double y = static_cast<long double>(StakeY(j)) - y0;
            const float* row = RowData(j) + (r.FirstCol - 1);
            const std::int32_t width = r.LastCol - r.FirstCol + 1;
            if (!haveReference) {
                for (std::int32_t k = 0; k < width; ++k)
                    if (row[k] != 0.0f) {
                        zRef = row[k];
                        haveReference = true;
                        break;
                    }
            }
            const double zr = zRef;
            double lx[kLanes] = {}, lxx[kLanes] = {}, lxz[kLanes] = {}, lz[kLanes] = {};
            std::int64_t ln[kLanes] = {};
            const auto stake = [&](std::int32_t k, int l) {
                const float zf = row[k];
                const double has = zf != 0.0f ? 1.0 : 0.0;
                const double x = xr[std::size_t(k)] * has;
                const double z = (static_cast<double>(zf) - zr) * has;
                ln[l] += zf != 0.0f;
                lx[l] += x;
                lxx[l] += x * x;
                lxz[l] += x * z;
                lz[l] += z;
            };
            ForEachInLanes(width, stake);
            long double rx = 0, rxx = 0, rxz = 0, rz = 0;
            std::int64_t rn = 0;
            for (int l = 0; l < kLanes; ++l) {
                rx += lx[l];
                rxx += lxx[l];
                rxz += lxz[l];
                rz += lz[l];
                rn += ln[l];
            }
            // y is constant along the row: its sums follow from the row's.
            n += rn;
            sx += rx;
            sxx += rxx;
            sy += rn * y;
            syy += rn * y * y;
            sxy += rx * y;
            sxz += rxz;
            syz += rz * y;
            sz += rz;
        }
        ReportProgress(j - sel.FirstRow, total);
    }
    if (n == 0)
        return false;

    const long double nn = static_cast<long double>(n);
    const long double D = nn * (sxx * syy - sxy * sxy) - sx * sx * syy + (2 * sx * sxy - sxx * sy) * sy;
    const long double A = nn * (sxz * syy - sxy * syz) + sx * (sy * syz - syy * sz) + sxy * sy * sz - sxz * sy * sy;
    const long double B = nn * (sxx * syz - sxy * sxz) - sx * sx * syz + sx * (sxy * sz + sxz * sy) - sxx * sy * sz;
    const long double C = sx * (sxy * syz - sxz * syy) + sxx * (syy * sz - sy * syz) - sxy * sxy * sz + sxy * sxz * sy;
    if (!(D != 0.0L) || !std::isfinite(D))
        return false;  // every stake on one line: no plane is defined

    TPlano& p = Plans_[0];
    p.Sx = A / D;
    p.Sy = B / D;
    // Back from the selection's first stake to X = 0, Y = 0, with the slopes
    // as stored, so that the design elevation there is the fitted one.
    p.OriginElevation = C / D + zRef - static_cast<long double>(p.Sx) * x0 - static_cast<long double>(p.Sy) * y0;
    p.Valid = true;
    ComputeVolumes(true);
    if (KeepPlans_)
        Plans_[1] = Plans_[0];
    PlaneComputed_ = true;
    SetModified(false);
    SetResultsValid(true);
    return true;
}

bool TTerreno::ComputeOrigin(long double sx, long double sy)
{
    if (!PlaneComputed_ && !ComputeBestPlane())
        return false;
    TPlano& p = Plans_[0];
    p.Sx = sx;
    p.Sy = sy;
    StartProgress("Calculando a cota da origem.");
    const TUsedRect sel = GetSelection();
    const TUsedRect r = Clip(sel, ColCount(), RowCount());
    const long double ax = p.Sx, ay = p.Sy;
    // A layered plan's surface, not its plane, is centred on the stakes.
    const TDesignSurface* layer = DesignSurface(0);
    std::int64_t n = 0;
    long double s = 0.0L;
    const int total = sel.LastRow - sel.FirstRow;
    for (std::int32_t j = sel.FirstRow; j <= sel.LastRow; ++j) {
        if (j >= r.FirstRow && j <= r.LastRow) {
            const long double y = StakeY(j);
            const float* row = RowData(j);
            for (std::int32_t i = r.FirstCol; i <= r.LastCol; ++i) {
                const float z = row[i - 1];
                if (z == 0.0f)
                    continue;
                s += Real48::Round(z - ax * StakeX(i) - ay * y - (layer ? layer->LiftAt(i, j) : 0.0L));
                ++n;
            }
        }
        ReportProgress(j - sel.FirstRow, total);
    }
    if (n == 0) {
        // No elevation to average: the slopes stay as typed, the plan is not
        // a result.
        p.Valid = false;
        return false;
    }
    p.OriginElevation = s / static_cast<long double>(n);
    p.Valid = true;
    ComputeVolumes(true);
    return true;
}

namespace {

long double Plane(const TPlano& p, long double x, long double y)
{
    return static_cast<long double>(p.Sx) * x + static_cast<long double>(p.Sy) * y
           + static_cast<long double>(p.OriginElevation);
}

}  // namespace

long double TTerreno::DesignElevation(std::int32_t column, std::int32_t row) const
{
    return DesignElevation(0, column, row);
}

long double TTerreno::DesignElevation(int slot, std::int32_t column, std::int32_t row) const
{
    if (slot < 0 || slot >= kPlanCount)
        return NoValue;
    const TDesignSurface* layer = DesignSurface(slot);
    return Real48::Round(Plane(Plans_[std::size_t(slot)], StakeX(column), StakeY(row))
                         + (layer ? layer->LiftAt(column, row) : 0.0L));
}

long double TTerreno::PlaneElevation(const TPlano& p, std::int32_t column, std::int32_t row) const
{
    return Real48::Round(Plane(p, StakeX(column), StakeY(row)));
}

long double TTerreno::CutFill(std::int32_t column, std::int32_t row) const { return CutFill(0, column, row); }

long double TTerreno::CutFill(int slot, std::int32_t column, std::int32_t row) const
{
    const float z = GetCell(column, row);
    if (z == 0.0f || slot < 0 || slot >= kPlanCount)
        return NoValue;
    return OnPlane(Real48::Round(DesignElevation(slot, column, row) - z));
}

void TTerreno::SelectionExtremes(float& lowest, float& highest)
{
    const TUsedRect sel = GetSelection();
    if (sel == TUsedRect{1, 1, ColCount(), RowCount()}) {
        SetExtremesValid(true);
        lowest = Minimum().Value;
        highest = Maximum().Value;
        return;
    }
    lowest = kMinimumSentinel;
    highest = kMaximumSentinel;
    const TUsedRect r = Clip(sel, ColCount(), RowCount());
    for (std::int32_t j = r.FirstRow; j <= r.LastRow; ++j) {
        const float* row = RowData(j);
        for (std::int32_t i = r.FirstCol; i <= r.LastCol; ++i) {
            const float z = row[i - 1];
            if (z == 0.0f)
                continue;
            lowest = std::min(lowest, z);
            highest = std::max(highest, z);
        }
    }
}

TMapLimits TTerreno::MapLimits()
{
    TMapLimits m;
    SelectionExtremes(m.MinElevation, m.MaxElevation);
    const TUsedRect sel = GetSelection();
    // An empty store's used rectangle ends at column and row 0: no
    // subdivision is possible there.
    m.SubdivisionLimitX = sel.LastCol > 0 ? FloorInt(1000.0L / sel.LastCol - 1) : 0;
    m.SubdivisionLimitY = sel.LastRow > 0 ? FloorInt(1000.0L / sel.LastRow - 1) : 0;
    return m;
}

void TTerreno::ComputeVolumes(bool announce)
{
    if (announce)
        StartProgress("Calculando a relação entre os volumes de Corte e de Aterro.");
    else if (Progress_)
        Progress_->ShowGauge();
    CellArea_ = static_cast<long double>(Lx_) * static_cast<long double>(Ly_);
    TPlano& p = Plans_[0];
    const TUsedRect sel = GetSelection();
    const TUsedRect r = Clip(sel, ColCount(), RowCount());

    // Sx * x of every column once per pass; the residual keeps the order
    // z - ((Sx * x + Sy * y) + OriginElevation). The pass runs in double with
    // kLanes independent lanes and no branches, so that it costs about what a
    // plain read of the row does; its error (about 1e-12 m on a residual) is
    // far below the millimetre the results show. Totals gather in extended
    // precision row by row.
    std::vector<double> ax(std::size_t(std::max(0, r.LastCol - r.FirstCol + 1)) + kLanes);
    for (std::int32_t i = r.FirstCol; i <= r.LastCol; ++i)
        ax[std::size_t(i - r.FirstCol)] = static_cast<double>(static_cast<long double>(p.Sx) * StakeX(i));
    const long double sy = p.Sy;
    const double origin = static_cast<double>(static_cast<long double>(p.OriginElevation));
    // The residual is the cut or fill with its sign turned: on the plane
    // (OnPlane) it is 0, a fill of depth 0.
    constexpr double kOnPlane = static_cast<double>(kOnPlaneTolerance);
    // A layered plan adds each stake's height to the plane (0 where the
    // layer has none); a plane adds nothing.
    const TDesignSurface* layer = DesignSurface(0);
    std::vector<double> lift(ax.size(), 0.0);

    long double cutSum = 0, fillSum = 0;
    double maxCut = 0, maxFill = 0;
    std::int64_t cutCount = 0, fillCount = 0;
    const int total = sel.LastRow - sel.FirstRow;
    for (std::int32_t j = sel.FirstRow; j <= sel.LastRow; ++j) {
        if (j >= r.FirstRow && j <= r.LastRow) {
            const double ay = static_cast<double>(sy * StakeY(j));
            const float* row = RowData(j) + (r.FirstCol - 1);
            const std::int32_t width = r.LastCol - r.FirstCol + 1;
            if (layer)
                for (std::int32_t k = 0; k < width; ++k)
                    lift[std::size_t(k)] = static_cast<double>(layer->LiftAt(r.FirstCol + k, j));
            double cs[kLanes] = {}, fs[kLanes] = {}, mc[kLanes] = {}, mf[kLanes] = {};
            std::int64_t cn[kLanes] = {}, fn[kLanes] = {};
            const auto stake = [&](std::int32_t k, int l) {
                const float z = row[k];
                const double exact =
                    static_cast<double>(z) - (((ax[std::size_t(k)] + ay) + origin) + lift[std::size_t(k)]);
                const double d = exact > kOnPlane || exact < -kOnPlane ? exact : 0.0;
                const bool has = z != 0.0f;
                const bool cut = has && d > 0.0;
                const bool fill = has && !(d > 0.0);
                cs[l] += cut ? d : 0.0;
                fs[l] += fill ? -d : 0.0;
                cn[l] += cut;
                fn[l] += fill;
                mc[l] = cut && d > mc[l] ? d : mc[l];
                mf[l] = fill && -d > mf[l] ? -d : mf[l];
            };
            ForEachInLanes(width, stake);
            for (int l = 0; l < kLanes; ++l) {
                cutSum += cs[l];
                fillSum += fs[l];
                cutCount += cn[l];
                fillCount += fn[l];
                maxCut = std::max(maxCut, mc[l]);
                maxFill = std::max(maxFill, mf[l]);
            }
        }
        ReportProgress(j - sel.FirstRow, total);
    }
    const long double cutVolume = cutSum * static_cast<long double>(CellArea_);
    const long double fillVolume = fillSum * static_cast<long double>(CellArea_);
    p.CutVolume = cutVolume;
    p.FillVolume = fillVolume;
    p.MaxCut = maxCut;
    p.MaxFill = maxFill;
    p.CutCount = static_cast<std::int32_t>(cutCount);
    p.FillCount = static_cast<std::int32_t>(fillCount);
    if (p.RatioDefined()) {
        p.CutFillRatio = static_cast<long double>(p.CutVolume) / static_cast<long double>(p.FillVolume);
    } else {
        // Nothing lies below the plane: the ratio has no value and the plan
        // is no result to rely on.
        p.CutFillRatio = 0.0L;
        p.Valid = false;
    }
    AreaHa_ = static_cast<long double>(CellArea_) * (static_cast<long double>(cutCount) + fillCount) * 0.0001L;
    if (KeepPlans_ && CurrentPlan_ >= 1 && CurrentPlan_ < kPlanCount)
        Plans_[std::size_t(CurrentPlan_)] = Plans_[0];
    // New plans are a change of the document, to be saved like an edit.
    SetSaved(false);
}

TAdjustResult TTerreno::AdjustRatio(long double ratio, const TEarthBalance& balance)
{
    TAdjustResult result;
    if (!ResultsValid() || !(ratio > 0.0L) || !std::isfinite(ratio))
        return result;
    TPlano& p = Plans_[0];
    // The cut that stays less what comes in, against the fill still to be
    // made: without a balance, the plan's own ratio.
    const auto balanced = [&]() -> std::optional<long double> {
        if (balance.Empty())
            return p.RatioDefined() ? std::optional<long double>(p.CutFillRatio) : std::nullopt;
        const long double fill = static_cast<long double>(p.FillVolume) - balance.ImportCompacted;
        if (!(fill > 0))
            return std::nullopt;
        return (static_cast<long double>(p.CutVolume) - balance.Export + balance.Import) / fill;
    };
    for (int step = 1; step <= kMaxAdjustSteps; ++step) {
        StartProgress("Ajustando a relação Corte/Aterro: Passo " + std::to_string(step) + " de ±3.");
        const long double stakes = ratio * p.FillCount + p.CutCount;
        const long double area = CellArea_;
        if (!(stakes > 0) || !(area > 0))
            break;  // no stake to move: nothing to adjust
        const long double wanted = ratio * (static_cast<long double>(p.FillVolume) - balance.ImportCompacted);
        const long double have = static_cast<long double>(p.CutVolume) - balance.Export + balance.Import;
        const long double delta = ((wanted - have) / area) / stakes;
        p.OriginElevation = static_cast<long double>(p.OriginElevation) - delta;
        ComputeVolumes(false);
        result.Steps = step;
        // A balance is met to the cubic centimetre, not only to the third
        // decimal of the ratio: its volumes are what the earth-moving plan
        // takes from the field or brings to it.
        const long double tolerance = balance.Empty() ? 0.001L : 1e-9L;
        if (const auto reached = balanced(); reached && std::fabs(*reached - ratio) < tolerance) {
            result.Converged = true;
            break;
        }
        if (delta == 0.0L)
            break;  // the plane no longer moves: this ratio cannot be reached
    }
    return result;
}

bool TTerreno::SetPlanText(int slot, TShortText TPlano::*text, std::string_view cp1252)
{
    if (slot < 1 || slot >= kPlanCount)
        return false;
    TShortText& typed = Plans_[std::size_t(slot)].*text;
    const TShortText before = typed;
    typed.Assign(cp1252);
    if (!(typed == before)) {
        SetSaved(false);
        // Slopes typed by hand are no longer the ones the limits gave, nor
        // the plane a layer was made on.
        if (text != &TPlano::RatioText) {
            SetLimitedPlan(slot, std::nullopt);
            SetDesignSurface(slot, std::nullopt);
        }
    }
    return true;
}

const TPlanLimits* TTerreno::LimitedPlan(int slot) const
{
    const auto found = Extension_.LimitedPlans.find(slot);
    return found == Extension_.LimitedPlans.end() ? nullptr : &found->second;
}

void TTerreno::SetLimitedPlan(int slot, const std::optional<TPlanLimits>& limits)
{
    if (slot < 2 || slot >= kPlanCount)
        return;
    const TPlanLimits* now = LimitedPlan(slot);
    if (!limits) {
        if (now) {
            Extension_.LimitedPlans.erase(slot);
            SetSaved(false);
        }
        return;
    }
    if (now && *now == *limits)
        return;
    Extension_.LimitedPlans[slot] = *limits;
    SetSaved(false);
}

TEarthBalance TTerreno::PlanBalance(int slot) const
{
    const TPlanLimits* l = LimitedPlan(slot);
    return l ? TEarthBalance{l->Export, l->Import, l->ImportCompacted} : TEarthBalance{};
}

const TDesignSurface* TTerreno::DesignSurface(int slot) const
{
    if (slot == 0)
        slot = CurrentPlan_;
    const auto found = Extension_.DesignSurfaces.find(slot);
    return found == Extension_.DesignSurfaces.end() ? nullptr : &found->second;
}

void TTerreno::ComputeVolumesOf(int slot)
{
    const std::int32_t current = CurrentPlan_;
    const TPlano working = Plans_[0];
    CurrentPlan_ = slot;
    Plans_[0] = Plans_[std::size_t(slot)];
    ComputeVolumes(false);
    Plans_[std::size_t(slot)] = Plans_[0];
    CurrentPlan_ = current;
    if (current != slot)
        Plans_[0] = working;
}

void TTerreno::SetDesignSurface(int slot, std::optional<TDesignSurface> surface)
{
    if (slot < 2 || slot >= kPlanCount)
        return;
    const TDesignSurface* now = DesignSurface(slot);
    if (surface ? now && *now == *surface : !now)
        return;
    if (surface)
        Extension_.DesignSurfaces[slot] = std::move(*surface);
    else
        Extension_.DesignSurfaces.erase(slot);
    if (Plans_[std::size_t(slot)].Valid && ResultsValid())
        ComputeVolumesOf(slot);
    SetSaved(false);
}

bool TTerreno::SetDesignElevations(int slot, TDesignSurface surface, const std::vector<double>& elevations)
{
    const std::size_t cols = std::size_t(ColCount()), rows = std::size_t(RowCount());
    if (slot < 2 || slot >= kPlanCount || elevations.size() != cols * rows)
        return false;
    // The least-squares plane of the design, on sums centred on the first
    // stake with a design: the same care with large coordinates as the
    // best plane's.
    bool haveReference = false;
    long double x0 = 0, y0 = 0, h0 = 0;
    long double n = 0, sx = 0, sy = 0, sh = 0, sxx = 0, syy = 0, sxy = 0, sxh = 0, syh = 0;
    bool anyStake = false;
    for (std::size_t j = 0; j < rows; ++j)
        for (std::size_t i = 0; i < cols; ++i) {
            const double h = elevations[j * cols + i];
            if (!std::isfinite(h))
                continue;
            const auto col = static_cast<std::int32_t>(i + 1), row = static_cast<std::int32_t>(j + 1);
            if (!haveReference) {
                x0 = StakeX(col);
                y0 = StakeY(row);
                h0 = h;
                haveReference = true;
            }
            anyStake = anyStake || GetCell(col, row) != 0.0f;
            const long double x = StakeX(col) - x0, y = StakeY(row) - y0, z = h - h0;
            n += 1;
            sx += x;
            sy += y;
            sh += z;
            sxx += x * x;
            syy += y * y;
            sxy += x * y;
            sxh += x * z;
            syh += y * z;
        }
    if (n < 3 || !anyStake)
        return false;
    // Centred moments of the design against its coordinates.
    const long double cxx = sxx - sx * sx / n, cyy = syy - sy * sy / n, cxy = sxy - sx * sy / n;
    const long double cxh = sxh - sx * sh / n, cyh = syh - sy * sh / n;
    const long double det = cxx * cyy - cxy * cxy;
    if (!(det > 1e-18L * cxx * cyy) || !std::isfinite(det))
        return false;  // every design stake on one line
    TPlano& p = Plans_[std::size_t(slot)];
    p.Sx = (cxh * cyy - cyh * cxy) / det;
    p.Sy = (cyh * cxx - cxh * cxy) / det;
    p.OriginElevation =
        h0 + sh / n - static_cast<long double>(p.Sx) * (x0 + sx / n) - static_cast<long double>(p.Sy) * (y0 + sy / n);
    p.Valid = true;
    surface.Reset(ColCount(), RowCount());
    for (std::size_t j = 0; j < rows; ++j)
        for (std::size_t i = 0; i < cols; ++i) {
            const double h = elevations[j * cols + i];
            if (std::isfinite(h))
                surface.Heights[j * cols + i] = static_cast<float>(
                    h - Plane(p, StakeX(static_cast<std::int32_t>(i + 1)), StakeY(static_cast<std::int32_t>(j + 1))));
        }
    Extension_.DesignSurfaces[slot] = std::move(surface);
    ComputeVolumesOf(slot);
    SetSaved(false);
    return true;
}

void TTerreno::DropLayerHeights()
{
    for (auto& [slot, layer] : Extension_.DesignSurfaces)
        if (!layer.Heights.empty()) {
            layer.Reset(0, 0);
            SetSaved(false);
        }
}

void TTerreno::ComputePlane(long double sx, long double sy, long double originElevation)
{
    TPlano& p = Plans_[0];
    p.Sx = sx;
    p.Sy = sy;
    p.OriginElevation = originElevation;
    ComputeVolumes(true);
}

void TTerreno::RestoreLastArea()
{
    if (ResultsValid())
        LastArea_ = ComputeUsedRect();
}

// ------------------------------------------------------------------ the runs

TSystematizeResult SystematizeAgain(TTerreno& t, bool selectionOnly, long double ratio, int except);

TSystematizeResult Systematize(TTerreno& t, bool selectionOnly, long double ratio)
{
    return SystematizeAgain(t, selectionOnly, ratio, 0);
}

// The run, leaving plan `except` (being recalculated by the caller) to the
// caller when the user's plans must be computed again.
TSystematizeResult SystematizeAgain(TTerreno& t, bool selectionOnly, long double ratio, int except)
{
    TSystematizeResult result;
    const bool stale = !t.ResultsValid();
    if (!selectionOnly) {
        t.UpdateUsedRect();
        t.Selection_ = t.UsedRect();
    }
    t.LastArea_ = t.GetSelection();
    if (!t.HasComputableBlock())
        return result;
    // A run works on the best plan and stores into its slot, whichever plan
    // was recalculated last: the user's plans change only by their own
    // recalculation, and their typed texts stay out of the best plan.
    t.CurrentPlan_ = 1;
    t.Plans_[0] = t.Plans_[1];
    result.Computed = t.ComputeBestPlane();
    if (!result.Computed)
        return result;
    t.LastRatio_ = ratio > 0 ? ratio : -1;
    t.LastRatioKnown_ = true;
    if (ratio > 0)
        result.Adjust = t.AdjustRatio(ratio);
    if (stale) {
        t.RecomputeUserPlans(except);
        // The run leaves the best plan as the working plan.
        t.CurrentPlan_ = 1;
        t.Plans_[0] = t.Plans_[1];
    }
    return result;
}

long double TTerreno::LastRunRatio() const
{
    if (LastRatioKnown_)
        return LastRatio_;
    // A run moves the best plan to within 0.001 of the ratio asked for; a
    // best plan left alone has a ratio of 1.
    const TPlano& best = Plans_[1];
    if (best.Valid && best.RatioDefined() && std::fabs(static_cast<long double>(best.CutFillRatio) - 1) >= 0.001L)
        return best.CutFillRatio;
    return -1;
}

namespace {

// The ratio typed for a plan, read with either separator; the plan's ratio
// when the text does not read.
long double TypedRatio(const TPlano& p)
{
    long double v = 0;
    const std::string text = p.RatioText.Str();
    if (ParseEitherMark(text, v))
        return std::clamp(v, kMinRatio, kMaxRatio);
    return p.CutFillRatio;
}

}  // namespace

void TTerreno::RecomputeUserPlans(int except)
{
    for (int k = 2; k < kPlanCount; ++k) {
        TPlano& plan = Plans_[std::size_t(k)];
        if (k == except || !plan.Valid)
            continue;
        CurrentPlan_ = k;
        Plans_[0] = plan;
        const long double ratio = TypedRatio(plan);
        TAdjustResult adjust;
        if (!ComputeCurrentPlan(ratio, PlanBalance(k), adjust))
            plan.Valid = false;  // nothing to compute it on: shown as not computed
    }
}

bool ParsePlanInputs(TTerreno& t, int column, char sep)
{
    if (column < 1 || column >= TTerreno::kPlanCount)
        return false;
    TPlano& p = t.Plans_[std::size_t(column)];
    long double sx = 0, sy = 0, ratio = 0;
    if (!ParseNumber(p.SxText.Str(), sx, sep) || !ParseNumber(p.SyText.Str(), sy, sep)
        || !ParseNumber(p.RatioText.Str(), ratio, sep))
        return false;
    const TPlano before = p;
    p.Sx = sx;
    p.Sy = sy;
    p.CutFillRatio = ratio;
    // The values read are kept in the project file with the texts.
    if (!(p == before))
        t.SetSaved(false);
    return true;
}

TSystematizeResult RecalculatePlan(TTerreno& t, int column, const TEarthBalance& balance)
{
    TSystematizeResult result;
    if (column < 1 || column >= TTerreno::kPlanCount)
        return result;
    // After an elevation changed the results are stale and the ratio could
    // not be met: the systematization runs again first, as the user last ran
    // it (its area and ratio), and the other plans follow it.
    if (!t.ResultsValid()) {
        const TUsedRect selection = t.Selection_;
        if (t.LastArea_ != TUsedRect{0, 0, 0, 0})
            t.Selection_ = t.LastArea_;
        const bool computed = SystematizeAgain(t, true, t.LastRunRatio(), column).Computed;
        t.Selection_ = selection;
        if (!computed)
            return result;
    }
    t.CurrentPlan_ = column;
    t.Plans_[0] = t.Plans_[std::size_t(column)];
    const long double ratio = t.Plans_[0].CutFillRatio;
    result.Computed = t.ComputeCurrentPlan(ratio, balance, result.Adjust);
    return result;
}

bool TTerreno::ComputeCurrentPlan(long double ratio, const TEarthBalance& balance, TAdjustResult& adjust)
{
    // Settling fills are raised from the plane as balanced without them:
    // the plane is computed first with the allowance but no heights.
    std::optional<TDesignSurface> settled;
    if (const TDesignSurface* layer = DesignSurface(CurrentPlan_);
        layer && layer->Kind == TDesignSurface::TKind::Settled) {
        settled = *layer;
        Extension_.DesignSurfaces[CurrentPlan_].Reset(0, 0);
    }
    const TPlano& p = Plans_[0];
    if (!ComputeOrigin(p.Sx, p.Sy))
        return false;
    adjust = AdjustRatio(ratio, balance);
    if (settled)
        adjust = RaiseSettlingFills(*this, std::move(*settled), ratio, balance);
    return true;
}

// ------------------------------------------------------------------ file data

void TTerreno::SaveToStream(TByteWriter& s) const
{
    Store_->SaveToStream(s);
    s.WriteBool(ResultsValid());
    s.WriteBool(PlaneComputed_);
    WriteReal(s, OriginX_);
    WriteReal(s, OriginY_);
    WriteReal(s, Lx_);
    WriteReal(s, Ly_);
    WriteReal(s, CellArea_);
    s.WriteI32(CurrentPlan_);
    s.WriteBool(KeepPlans_);
    for (const TPlano& p : Plans_)
        p.Write(s);
}

bool TTerreno::LoadFromStream(TByteReader& s) { return Store_->LoadFromStream(s) && LoadTerrainSection(s); }

bool TTerreno::LoadTerrainSection(TByteReader& s)
{
    bool resultsValid = false, planeComputed = false, keepPlans = false;
    Real48 originX, originY, lx, ly, cellArea;
    std::int32_t currentPlan = 0;
    std::array<TPlano, kPlanCount> plans{};
    if (!(s.ReadBool(resultsValid) && s.ReadBool(planeComputed) && ReadReal(s, originX) && ReadReal(s, originY)
          && ReadReal(s, lx) && ReadReal(s, ly) && ReadReal(s, cellArea) && s.ReadI32(currentPlan)
          && s.ReadBool(keepPlans)))
        return false;
    for (TPlano& p : plans)
        if (!p.Read(s))
            return false;
    if (currentPlan < 1 || currentPlan >= kPlanCount)
        return false;
    // Spacings are positive, and every stake's coordinates must exist as
    // single-precision numbers.
    if (!StakesFit(originX, lx, ColCount()) || !StakesFit(originY, ly, RowCount()))
        return false;
    SetResultsValid(resultsValid);
    PlaneComputed_ = planeComputed;
    OriginX_ = originX;
    OriginY_ = originY;
    Lx_ = lx;
    Ly_ = ly;
    CellArea_ = cellArea;
    CurrentPlan_ = currentPlan;
    KeepPlans_ = keepPlans;
    Plans_ = plans;
    LastRatioKnown_ = false;
    LimitGrowthToGeometry();
    return true;
}

}  // namespace nivora
