// cutfill-map: the cut-and-fill bitmap of a systematization run, as PNG.

#include "CliCommon.h"
#include "calc/CutFillMap.h"

#include <QByteArray>
#include <QFile>
#include <QSaveFile>

#include <iostream>
#include <stdexcept>

namespace nivora::cli {

namespace {

int CutFillMapCommand(const TArgs& a)
{
    if (!a.Has("-o"))
        throw TUsageError("cutfill-map precisa de -o SAIDA.png");
    const std::string out = a.Get("-o");
    TRun run = LoadAndSystematize(a);
    TTerreno& t = *run.Project.Terrain;
    const TCutFillMap map = BuildCutFillMap(t, nullptr);

    // Written whole or not at all: an earlier picture of the same name stays
    // until the new one is complete.
    QSaveFile file(QFile::decodeName(QByteArray::fromStdString(out)));
    if (!file.open(QIODevice::WriteOnly) || !map.Bitmap.save(&file, "PNG") || !file.commit())
        throw std::runtime_error("Não foi possível gravar " + out + ": " + file.errorString().toStdString());

    TJson j;
    j.BeginObject();
    j.Key("Width").Value(map.Bitmap.width());
    j.Key("Height").Value(map.Bitmap.height());
    j.Key("CellWidth").Value(map.CellWidth);
    j.Key("CellHeight").Value(map.CellHeight);
    j.Key("LastArea");
    WriteRect(j, map.Area);
    j.Key("MaxCut").Value(t.Plans[0].MaxCut.Value());
    j.Key("MaxFill").Value(t.Plans[0].MaxFill.Value());
    j.EndObject();
    std::cout << j.Str() << "\n";
    return 0;
}

const TRegister kCutFillMap("cutfill-map", "ARQUIVO [--area C1,R1,C2,R2] [--ratio R] -o SAIDA.png", CutFillMapCommand);

}  // namespace

}  // namespace nivora::cli
