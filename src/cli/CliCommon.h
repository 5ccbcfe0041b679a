#pragma once
// What the commands of nivora-cli share beyond their options: input and
// output files, the options several commands take, the JSON of a plan, and
// the systematization run.

#include "Json.h"
#include "Options.h"
#include "calc/Plan.h"
#include "data/Document.h"
#include "data/SaveOpen.h"

#include <cstdint>
#include <memory>
#include <ostream>
#include <span>
#include <stdexcept>
#include <string>

namespace nivora {
class TTerreno;
}

namespace nivora::cli {

// The file is fine but holds nothing the command can compute (exit 4).
class TNothingToCompute : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// An input file that cannot be read, or a text without elevations (exit 3).
// The core's TFileError and TNotNivora end the same way.
class TInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
// An output file that cannot be written (exit 5).
class TOutputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The options several commands share, so that they read the same everywhere.
TOption AreaOption();
TOption RatioOption(const std::string& fallback);
TOption DecimalsOption();
TOption LocaleOption();
TOption ProjectOutputOption(const std::string& help, bool required);

// The one operand: the input file.
const std::string& File(const TArgs& a);
// The decimal separator of --locale (C, pt_BR, ...); "." by default.
char LocaleSeparator(const TArgs& a);

// A project file opened as a document, as the program opens it, with the
// grid's state its file records.
struct TProject {
    std::unique_ptr<TDocument> Document;
    TViewState View;
    // Whether the file had an extension block and whether it could be read.
    TExtensionState ExtensionState = TExtensionState::None;
    TTerreno& Terrain() const { return Document->Terrain(); }
};

// Throws TInputError, with the input/output error text and the reason, when
// the file cannot be opened for reading (missing, a folder, no permission).
void CheckInput(const std::string& path);
// CheckInput, then the project: TInputError for a file that cannot be read,
// TNotNivora for one that is not a project of ours.
TProject LoadProject(const std::string& path);
// Throws TOutputError before any work when the output's folder is missing or
// cannot be written into.
void CheckOutput(const std::string& path);
// Writes the bytes whole or not at all: a regular file is replaced through a
// temporary file beside it, so an earlier file of the same name stays until
// the new one is complete; a device or pipe (/dev/stdout) is written in place.
// "-" writes to standard output (text formats only: see OutputExtension).
void WriteOutput(const std::string& path, std::span<const std::uint8_t> bytes);
// Where a command's JSON summary goes: standard error when its output took
// standard output.
std::ostream& SummaryStream(const std::string& outputPath);
// Writes the document's file (see WriteOutput), with `view` as its grid's
// state; the document is then saved, under that name when it is a file.
void SaveProject(const std::string& path, TDocument& document, const TViewState& view);

// Standard output goes through a buffer of ours that keeps the first write
// error, so that a full disk, a file size limit or a closed device ends the
// command with exit 5 and the reason instead of a cut output and success.
void CaptureStandardOutput();
// Writes what is buffered; throws TOutputError with the reason when any write
// to standard output failed.
void FinishStandardOutput();

// --area checked against the grid (a usage error naming the option); the
// used rectangle without it.
TUsedRect AreaIn(const TArgs& a, TTerreno& terrain);

void WritePlan(TJson& j, const TPlano& p);
void WriteRect(TJson& j, const TUsedRect& r);
// null, or EPSG, CornerEasting, CornerNorthing and RowsRunSouth.
void WriteGeoreference(TJson& j, const std::optional<TGeoreference>& g);

// Loads the file and runs the systematization as the program's F9 does: the
// whole used area, or --area; the ratio of --ratio when given. Throws
// TNothingToCompute without a 2 x 2 block of elevations.
struct TSystematized {
    TProject Project;
    TSystematizeResult Result;
};
TSystematized LoadAndSystematize(const TArgs& a);

}  // namespace nivora::cli
