// The document: every change of the elevations is a step of its history, and
// whether it is its file follows the history, the plans and the georeference
// across edits, undos, redos and saves.

#include "data/Document.h"

#include "data/FileAccess.h"
#include "grid/TextImport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

using namespace nivora;

namespace {

// A 6 x 5 terrain with a 3 x 3 block of elevations, as read from a file
// (saved) or made new (never saved).
std::unique_ptr<TTerreno> Terrain(bool saved)
{
    auto t = std::make_unique<TTerreno>(6, 5, 10.0f, 20.0f);
    for (std::int32_t r = 1; r <= 3; ++r)
        for (std::int32_t c = 1; c <= 3; ++c)
            t->SetCell(c, r, 100.0f + float(c) * 0.5f + float(r) * 1.25f);
    t->SetSelection(t->ComputeUsedRect());
    t->SetSaved(saved);
    return t;
}

const TGeoreference kGeoreference{31983, 333000.0, 7400000.0, true};

// Runs one operation of a case on `doc`:
//   e  an elevation typed in a new cell      x  a row inserted
//   u  undo                                   r  redo
//   s  the file written (marked saved)        p  the plans computed anew
//   g  a georeference set                     G  the georeference cleared
void RunOperation(TDocument& doc, char op, float& next)
{
    switch (op) {
    case 'e': EXPECT_TRUE(doc.SetElevation(4, 4, next += 1.0f)); break;
    case 'x': EXPECT_TRUE(doc.StructuralEdit("Inserir Linha", [&] { return doc.Terrain().InsertRow(2); })); break;
    case 'u': doc.Undo(); break;
    case 'r': doc.Redo(); break;
    case 's': doc.MarkSaved(); break;
    case 'p': EXPECT_TRUE(Systematize(doc.Terrain(), false, next += 0.1f).Computed); break;
    case 'g': doc.SetGeoreference(kGeoreference); break;
    case 'G': doc.SetGeoreference(std::nullopt); break;
    default: FAIL() << "unknown operation " << op;
    }
}

struct TSavedCase {
    const char* Name;
    bool StartsSaved;
    const char* Ops;
    // IsSaved() after each operation, 1 or 0.
    const char* Saved;
};

std::string TempPath(const std::string& leaf)
{
    return (std::filesystem::temp_directory_path() / ("nivora-doc-" + std::to_string(::getpid()) + "-" + leaf))
        .string();
}

}  // namespace

TEST(Document, SavedStateFollowsHistoryPlansAndGeoreference)
{
    // clang-format off
    const TSavedCase cases[] = {
        {"edit, undo back to the file, redo",      true,  "euru",   "0101"},
        {"a save moves the saved step",            true,  "esur",   "0101"},
        {"two edits, undo one",                    true,  "eeuu",   "0001"},
        {"save between undo and redo",             true,  "eeusru", "000101"},
        {"row insert undone",                      true,  "xur",    "010"},
        {"plans changed: undo is not the file",    true,  "epu",    "000"},
        {"plans saved with them",                  true,  "pseu",   "0101"},
        {"georeference is not a step",             true,  "egu",    "000"},
        {"georeference back, cells back",          true,  "gGeu",   "0001"},
        {"georeference saved",                     true,  "gseu",   "0101"},
        {"never saved: undo reaches no file",      false, "eu",     "00"},
        {"never saved, then saved",                false, "esur",   "0101"},
        {"never saved: back to the save",          false, "esuur",  "01001"},
    };
    // clang-format on
    for (const TSavedCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TDocument doc(Terrain(c.StartsSaved));
        ASSERT_EQ(doc.IsSaved(), c.StartsSaved);
        ASSERT_EQ(std::strlen(c.Ops), std::strlen(c.Saved));
        float next = 200.0f;
        for (std::size_t i = 0; c.Ops[i]; ++i) {
            RunOperation(doc, c.Ops[i], next);
            EXPECT_EQ(doc.IsSaved(), c.Saved[i] == '1') << "after operation " << i + 1 << " '" << c.Ops[i] << "'";
        }
    }
}

TEST(Document, EditsAreStepsThatRestoreTheCells)
{
    TDocument doc(Terrain(true));
    const std::vector<float> before = doc.Terrain().Cells();
    ASSERT_TRUE(Systematize(doc.Terrain(), false, -1).Computed);
    doc.MarkSaved();

    // Retyping what a cell holds is no step and leaves the results current.
    EXPECT_FALSE(doc.SetElevation(2, 3, doc.Terrain().GetCell(2, 3)));
    EXPECT_EQ(doc.History().Count(), 0u);
    EXPECT_TRUE(doc.Terrain().ResultsValid());
    EXPECT_TRUE(doc.IsSaved());

    // A typed value past the grid grows it; the step takes it back whole.
    EXPECT_TRUE(doc.SetElevation(8, 7, 50.0f));
    EXPECT_EQ(doc.History().UndoText(), "Digitação");
    EXPECT_FALSE(doc.Terrain().ResultsValid());
    EXPECT_EQ(doc.Terrain().ColCount(), 8);
    EXPECT_EQ(doc.Terrain().RowCount(), 7);
    doc.Undo();
    // The plans are not steps: undone cells have no current results either.
    EXPECT_FALSE(doc.Terrain().ResultsValid());
    EXPECT_EQ(doc.Terrain().ColCount(), 6);
    EXPECT_EQ(doc.Terrain().RowCount(), 5);
    EXPECT_EQ(doc.Terrain().Cells(), before);

    // Clearing names its step; a paste reads its fields and is one step.
    doc.ClearCells({1, 1, 2, 3}, "Recortar");
    EXPECT_EQ(doc.History().UndoText(), "Recortar");
    EXPECT_EQ(doc.Terrain().ValueCount(), 3);
    const TTextReadResult pasted = doc.Paste("1,5\t2,5\r\n3,5\tx\r\n", 5, 4, ',');
    EXPECT_EQ(pasted.Fields, 4);
    EXPECT_EQ(pasted.Unreadable, 1);
    EXPECT_EQ(doc.History().UndoText(), "Colar");
    EXPECT_EQ(doc.Terrain().GetCell(6, 4), 2.5f);
    EXPECT_EQ(doc.Terrain().GetCell(5, 5), 3.5f);
    // A text with no fields is no step.
    EXPECT_EQ(doc.Paste("", 1, 1, ',').Fields, 0);
    EXPECT_EQ(doc.History().UndoText(), "Colar");
    doc.Undo();
    doc.Undo();
    EXPECT_EQ(doc.Terrain().Cells(), before);
    EXPECT_TRUE(doc.IsSaved());

    // A structural edit that refuses is no step.
    EXPECT_FALSE(doc.StructuralEdit("Inserir Linha", [] { return false; }));
    EXPECT_EQ(doc.History().Index(), 0u);
}

TEST(Document, TellsItsObserversWhatChanged)
{
    TDocument doc(Terrain(true));
    int cells = 0, history = 0, georeference = 0, names = 0;
    std::vector<bool> saved;
    doc.SetObservers({.CellsChanged = [&] { ++cells; },
                      .HistoryChanged = [&] { ++history; },
                      .SavedChanged = [&](bool s) { saved.push_back(s); },
                      .FileNameChanged = [&] { ++names; },
                      .GeoreferenceChanged = [&] { ++georeference; }});
    doc.SetElevation(1, 1, 1.0f);
    EXPECT_EQ(cells, 0);  // the editing view already shows its own edit
    EXPECT_EQ(history, 1);
    doc.Undo();
    EXPECT_EQ(cells, 1);
    EXPECT_EQ(saved, (std::vector<bool>{false, true}));
    doc.SetGeoreference(kGeoreference);
    doc.SetGeoreference(kGeoreference);  // the same: no change
    EXPECT_EQ(georeference, 1);
    EXPECT_EQ(saved.back(), false);
    doc.SetFileName("a.nvr");
    doc.SetFileName("a.nvr");
    EXPECT_EQ(names, 1);
}

TEST(Document, SaveWritesTheFileThenTakesItsName)
{
    TDocument doc(Terrain(false));
    const TViewState view{2, 3, 1, 1, 2, 3, 2, 3};
    doc.SetElevation(5, 5, 7.0f);
    const std::string path = TempPath("ok.nvr");
    doc.Save(path, view);
    EXPECT_TRUE(doc.IsSaved());
    EXPECT_EQ(doc.FileName(), path);
    std::ifstream in(path, std::ios::binary);
    const std::vector<std::uint8_t> written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(written, doc.FileImage(view));
    const TLoadedProject back = LoadProjectFile(path);
    EXPECT_EQ(back.Terrain->Cells(), doc.Terrain().Cells());
    EXPECT_EQ(back.View, view);
    std::filesystem::remove(path);

    // A write that fails leaves the document as it was: its name, unsaved.
    doc.SetElevation(5, 5, 8.0f);
    const std::string nowhere = TempPath("no-such-folder") + "/x.nvr";
    EXPECT_THROW(doc.Save(nowhere, view), TFileError);
    EXPECT_FALSE(doc.IsSaved());
    EXPECT_EQ(doc.FileName(), path);
    doc.Undo();
    EXPECT_TRUE(doc.IsSaved());  // back at the step that is in the file
}
