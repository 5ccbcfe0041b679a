#pragma once
// TTerreno: the terrain of one grid document. The elevation store with the
// stake geometry (origin and spacings), the rectangle being worked on
// and eleven plan records: the working plan, the best plan and nine plans of
// the user's. It fits the least-squares plane, finds the origin elevation for
// chosen slopes, computes cut and fill per stake and in volume, and shifts the
// plane to a requested cut/fill ratio.
//
// Coordinates of a stake are single precision; every real field is kept as a
// 6-byte real (Real48) and computed in extended precision.
//
// The cells themselves live in a TCotas (data/UCotas.h) that the terrain
// owns: the terrain offers the store's operations under the same names, so
// that this header and the many files that use the terrain do not depend on
// how the store keeps its cells. The few files that work on the store itself
// (the undo records, the area outline, the file reader) include UCotas.h and
// reach it through Store().

#include "calc/Plan.h"
#include "data/ProjectExtension.h"
#include "data/Progress.h"
#include "data/GridTypes.h"
#include "data/Real48.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace nivora {

class TCotas;
class TByteReader;
class TByteWriter;

class TTerreno {
public:
    static constexpr std::size_t kSectionSize = 1313;
    static constexpr long double NoValue = kNoCutFill;
    static constexpr int kPlanCount = 11;
    // The adjustment normally needs about three passes; this bound only stops
    // a request that the ground cannot meet.
    static constexpr int kMaxAdjustSteps = 100;

    TTerreno(std::int32_t columns, std::int32_t rows, float lx, float ly);

    // The elevation store behind the terrain. A terrain stands for its store
    // wherever one is asked for (an undo record, an outline).
    TCotas& Store() { return *Store_; }
    const TCotas& Store() const { return *Store_; }
    operator TCotas&() { return *Store_; }
    operator const TCotas&() const { return *Store_; }

    // The store's operations; TCotas says what each does.
    float GetCell(std::int32_t col, std::int32_t row) const;
    void SetCell(std::int32_t col, std::int32_t row, float value);
    void ClearRect(const TUsedRect& rect);
    void SetRowCells(std::int32_t col, std::int32_t row, const float* values, std::size_t count);
    [[nodiscard]] bool Resize(std::int32_t addCols, std::int32_t addRows);
    [[nodiscard]] bool InsertRow(std::int32_t row);
    void DeleteRow(std::int32_t row);
    [[nodiscard]] bool InsertColumn(std::int32_t col);
    void DeleteColumn(std::int32_t col);
    void SetMinimum(const TCotaPoint& p);
    void SetMaximum(const TCotaPoint& p);
    void SetExtremesValid(bool flag);
    void SetAutoExtremes(bool flag);
    void RecomputeExtremes();
    [[nodiscard]] TUsedRect ComputeUsedRect() const;
    void UpdateUsedRect();
    const std::vector<float>& Cells() const;
    const float* RowData(std::int32_t row) const;
    TCotaPoint Minimum() const;
    TCotaPoint Maximum() const;
    bool ExtremesValid() const;
    bool AutoExtremes() const;
    bool ResultsValid() const;
    std::int32_t ColCount() const;
    std::int32_t RowCount() const;
    std::int32_t ValueCount() const;
    TUsedRect UsedRect() const;
    bool Modified() const;
    bool Saved() const;
    std::int32_t MaxColCount() const;
    std::int32_t MaxRowCount() const;
    void SetOnExtremesChange(std::function<void(TCotas&)> handler);
    void SetSaved(bool flag);
    void InvalidateResults();

    // The stake's index less one is taken in extended precision: a run's
    // area may start at any 32-bit column or row.
    float StakeX(std::int32_t column) const
    {
        return static_cast<float>(static_cast<long double>(OriginX_)
                                  + static_cast<long double>(Lx_) * (static_cast<long double>(column) - 1));
    }
    float StakeY(std::int32_t row) const
    {
        return static_cast<float>(static_cast<long double>(OriginY_)
                                  + static_cast<long double>(Ly_) * (static_cast<long double>(row) - 1));
    }

    // The rectangle the computations cover: Selection, or the used rectangle
    // as the grid is now while Selection is (0, 0, 0, 0).
    TUsedRect GetSelection() const;
    bool HasComputableBlock() const;
    // Both need at least one stake with elevation in the selection (the menu
    // and the run guarantee a 2 x 2 block); without one they leave the plans
    // untouched and return false.
    [[nodiscard]] bool ComputeBestPlane();
    [[nodiscard]] bool ComputeOrigin(long double sx, long double sy);
    // What a stake is built to under the working plan: its plane, plus the
    // plan's design layer where it has one. Every reader of a design goes
    // through these.
    long double DesignElevation(std::int32_t column, std::int32_t row) const;
    // The same under plan `slot` (0 the working plan, 1 the best, 2..10 the
    // user's).
    long double DesignElevation(int slot, std::int32_t column, std::int32_t row) const;
    // Design less natural elevation, 0 on the plane (OnPlane); NoValue for a
    // stake without elevation.
    long double CutFill(std::int32_t column, std::int32_t row) const;
    long double CutFill(int slot, std::int32_t column, std::int32_t row) const;
    // A plan's plane alone at a stake, without its layer: for a plan with
    // settled fills, the surface expected once they have settled.
    long double PlaneElevation(const TPlano& plan, std::int32_t column, std::int32_t row) const;
    void SelectionExtremes(float& lowest, float& highest);
    TMapLimits MapLimits();
    void ComputeVolumes(bool announce);
    TAdjustResult AdjustRatio(long double ratio, const TEarthBalance& balance = {});

    void SaveToStream(TByteWriter& s) const;
    // The store section then the terrain section; false, with the terrain in an
    // unspecified but consistent state, when either is short or invalid.
    bool LoadFromStream(TByteReader& s);
    // The terrain section alone, all or nothing.
    bool LoadTerrainSection(TByteReader& s);

    // The stake geometry: the spacings are those the terrain was created or
    // read with; the origin is set once the terrain exists.
    Real48 OriginX() const { return OriginX_; }
    Real48 OriginY() const { return OriginY_; }
    Real48 Lx() const { return Lx_; }
    Real48 Ly() const { return Ly_; }
    void SetOrigin(long double x, long double y)
    {
        OriginX_ = x;
        OriginY_ = y;
        LimitGrowthToGeometry();
    }
    // Whether `count` stakes from `origin`, `spacing` apart, have coordinates
    // a single holds with room to spare, as a project file must give them.
    static bool StakesFit(long double origin, long double spacing, std::int32_t count);

    // What the project keeps beyond the given sections (its georeference,
    // and sections of newer versions, kept as read).
    const TProjectExtension& Extension() const { return Extension_; }
    // Sets or clears the georeference; a change leaves the document to be saved.
    void SetGeoreference(const std::optional<TGeoreference>& georeference)
    {
        if (Extension_.Georeference == georeference)
            return;
        Extension_.Georeference = georeference;
        SetSaved(false);
    }
    // The extension as a file holds it.
    void SetExtension(TProjectExtension extension) { Extension_ = std::move(extension); }
    // What user plan `slot` was designed under, when limits made it; null
    // for any other plan.
    const TPlanLimits* LimitedPlan(int slot) const;
    // Records or drops it; a change leaves the document to be saved.
    void SetLimitedPlan(int slot, const std::optional<TPlanLimits>& limits);
    // The earth that plan `slot`'s ratio is met with: its design's, none for
    // a plan without one.
    TEarthBalance PlanBalance(int slot) const;

    // The design layer of plan `slot` (0 the working plan: the layer of the
    // current plan); null for a plan that is its plane alone.
    const TDesignSurface* DesignSurface(int slot) const;
    // Gives user plan `slot` (2..10) a layer, or drops it; the plan's
    // volumes, counts and deepest cut and fill are computed again from its
    // plane and the layer over the selection (when the plan is a result),
    // and the document is left to be saved. The working plan follows when
    // `slot` is the current plan.
    void SetDesignSurface(int slot, std::optional<TDesignSurface> surface);
    // Gives user plan `slot` a layer of kind and parameters `surface` that
    // builds it to `elevations` (row-major over the whole grid like Cells(),
    // NaN where no design is given): the plan takes the least-squares plane
    // of those elevations as its Sx, Sy and origin (its mean slopes) and the
    // layer keeps the rest. The plan becomes a result (Valid) when any stake
    // with elevation gets a design; false, nothing changed, when the sizes
    // do not match or fewer than three stakes off one line have a design.
    bool SetDesignElevations(int slot, TDesignSurface surface, const std::vector<double>& elevations);

    // The rectangle the user chose for the computations (see GetSelection).
    TUsedRect Selection() const { return Selection_; }
    void SetSelection(const TUsedRect& selection) { Selection_ = selection; }
    // Where the computations report their progress; not owned, may be null.
    void SetProgress(IProgress* progress) { Progress_ = progress; }

    // The results and what follows from them. They change only through the
    // operations above and the runs below, and when a file is read.
    using TPlans = std::array<TPlano, kPlanCount>;
    // Slot 0 is the working plan, 1 the best plan, 2..10 the user's plans.
    const TPlans& Plans() const { return Plans_; }
    bool PlaneComputed() const { return PlaneComputed_; }
    // The area one stake stands for, Lx x Ly, as the last volume computation
    // (or the file) left it; AreaHa is the hectares of the stakes it counted.
    Real48 CellArea() const { return CellArea_; }
    Real48 AreaHa() const { return AreaHa_; }
    std::int32_t CurrentPlan() const { return CurrentPlan_; }
    bool KeepPlans() const { return KeepPlans_; }
    // The area of the run whose results the plans hold.
    TUsedRect LastArea() const { return LastArea_; }

    // Types one of a plan's texts (Sx, Sy or ratio; slots 1..10), cut at 18
    // characters. The texts are kept in the project file: a change leaves the
    // document to be saved. False when the slot is not a plan's.
    bool SetPlanText(int slot, TShortText TPlano::*text, std::string_view cp1252);
    // The working plan takes the plane z = sx X + sy Y + originElevation and
    // its volumes are computed over the selection (ComputeVolumes).
    void ComputePlane(long double sx, long double sy, long double originElevation);
    // A file keeps the plans but not the area of the run that made them.
    // With current results the used area stands for it, so that the computed
    // views and the cut-and-fill map show the stored plan; without, nothing
    // changes.
    void RestoreLastArea();

private:
    // The store, copied with the terrain.
    class TOwnedStore {
    public:
        TOwnedStore(std::int32_t columns, std::int32_t rows);
        TOwnedStore(const TOwnedStore& other);
        TOwnedStore& operator=(const TOwnedStore& other);
        ~TOwnedStore();
        TCotas& operator*() const { return *Store_; }
        TCotas* operator->() const { return Store_.get(); }

    private:
        std::unique_ptr<TCotas> Store_;
    };

    void SetResultsValid(bool flag);
    void SetModified(bool flag);
    // The grid grows no further than its stakes fit (see StakesFit): a
    // terrain read from a file with very wide spacings could otherwise grow
    // into one that no file can hold.
    void LimitGrowthToGeometry();
    // After rows or columns moved: the layers no longer lie under their
    // stakes, and an undo of the move would not bring them back. Their
    // heights are dropped (the plans stand on their planes) and their kind
    // and parameters kept, so that a recalculation can make them again.
    void DropLayerHeights();
    // Computes plan `slot`'s volumes as the working plan, then gives the
    // working plan back.
    void ComputeVolumesOf(int slot);
    void StartProgress(const std::string& message)
    {
        if (Progress_)
            Progress_->Start(message);
    }
    void ReportProgress(int done, int total)
    {
        if (Progress_)
            Progress_->Set(done, total);
    }

    // The runs below choose the plan they work on and the area they cover;
    // ParsePlanInputs turns a plan's typed texts into its values.
    friend TSystematizeResult Systematize(TTerreno&, bool, long double);
    friend TSystematizeResult SystematizeAgain(TTerreno&, bool, long double, int);
    friend bool ParsePlanInputs(TTerreno&, int, char);
    friend TSystematizeResult RecalculatePlan(TTerreno&, int, const TEarthBalance&);

    // The ratio the last systematization run asked for (-1 for none); for
    // plans read from a file, found from the best plan's ratio.
    long double LastRunRatio() const;
    // The user's computed plans other than `except`, computed again from
    // their slopes and ratio on the elevations as they are now (after the
    // best plane, which they need).
    void RecomputeUserPlans(int except);
    // The current plan computed again from its slopes: its origin, then
    // `ratio` met with `balance`; a plan with settling fills has them raised
    // again from its balanced plane. False when there is nothing to compute.
    bool ComputeCurrentPlan(long double ratio, const TEarthBalance& balance, TAdjustResult& adjust);

    // Fields, in declaration order.
    TOwnedStore Store_;
    bool PlaneComputed_ = false;
    Real48 OriginX_;
    Real48 OriginY_;
    Real48 Lx_;
    Real48 Ly_;
    Real48 CellArea_;
    Real48 AreaHa_;
    std::int32_t CurrentPlan_ = 1;
    bool KeepPlans_ = true;
    TPlans Plans_{};
    TUsedRect Selection_;
    TUsedRect LastArea_{0, 0, 0, 0};
    TProjectExtension Extension_;
    long double LastRatio_ = -1;   // of the last run of this session ...
    bool LastRatioKnown_ = false;  // ... when there was one since the file was read

    IProgress* Progress_ = nullptr;
};

// What the user is told when a run computes nothing, and when the plane could
// not be moved to the ratio asked for (the results then show the last step).
constexpr const char* kNoElevationsMessage = "É impossivel calcular a sistematização por falta de cotas.";
constexpr const char* kRatioNotReachedMessage =
    "Não foi possível ajustar o plano à relação corte/aterro pedida; os resultados mostram o último passo do ajuste.";

// The cut/fill ratios a user may ask for.
constexpr long double kMinRatio = 0.01L;
constexpr long double kMaxRatio = 100;

// The systematization run of a document: the whole used area (or the
// terrain's Selection), the best plane, then the ratio when one is asked for
// (ratio > 0), always in the best plan's slot. Computed is false when the
// area holds no 2 x 2 block of stakes with elevation; the caller then warns
// the user. The user's computed plans are left as they are, unless an
// elevation changed since they were computed: then each is computed again
// from its slopes and ratio, so that no plan of the table rests on elevations
// that are gone.
TSystematizeResult Systematize(TTerreno& terrain, bool selectionOnly, long double ratio);

// Reads the typed texts of plan `column` (Sx, Sy, ratio, in that order) into
// its Sx, Sy and CutFillRatio; false, plan unchanged, at the first text that
// is not a number. A value that changes leaves the document to be saved.
bool ParsePlanInputs(TTerreno& terrain, int column, char decimalSeparator);

// The recalculation of a plan: it becomes the current plan, gets the origin
// elevation for its slopes and is moved to its ratio. Results made stale by
// an elevation edit are first computed again (the ratio adjustment needs
// current results): the systematization runs again with the area and ratio
// of the last run, and the user's other computed plans are computed again
// from their slopes and ratios. Computed is false when the area holds no
// stake with elevation, or no 2 x 2 block for that run. The ratio is met
// with `balance`'s earth leaving or entering the field.
TSystematizeResult RecalculatePlan(TTerreno& terrain, int column, const TEarthBalance& balance = {});

}  // namespace nivora
