// What report writes: the field report's pages as PDF, or its CSV. Printed
// pages share their heading and PDF making with cutfill-map.

#include "Drawing.h"

#include "CliCommon.h"
#include "PrintOutput.h"
#include "print/FieldReportPages.h"
#include "calc/CalcSist.h"
#include "calc/FieldReport.h"

#include <QBuffer>
#include <QFile>

#include <filesystem>
#include <iostream>

namespace nivora::cli {

TPrintHeading PrintHeading(const TArgs& a)
{
    TPrintHeading h;
    h.Project = QFile::decodeName(QByteArray::fromStdString(std::filesystem::path(File(a)).filename().string()));
    h.Date = PrintDate();
    h.DecimalSeparator = LocaleSeparator(a);
    return h;
}

QByteArray PdfBytes(TPrintDocument& document, const std::string& path, int* pages)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    const int made = WritePdf(document, buffer);
    if (made <= 0)
        throw TOutputError("Não foi possível gravar o arquivo " + path + ".");
    if (pages)
        *pages = made;
    return bytes;
}

int Report(const TArgs& a)
{
    const std::string out = a.Get("-o");
    CheckOutput(out);
    const std::int32_t decimals = a.Integer("--decimals", 3);
    TSystematized run = LoadAndSystematize(a);
    const TFieldReport report = BuildFieldReport(run.Project.Terrain());
    int pages = 0;
    if (out == "-" || LowerExtension(out) == ".csv") {
        const std::string text = FieldReportCsv(report, decimals, LocaleSeparator(a));
        WriteOutput(out, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
    } else {
        const auto app = NeedGuiApplication();
        const auto document = FieldReportDocument(report, decimals, PrintHeading(a));
        const QByteArray bytes = PdfBytes(*document, out, &pages);
        WriteOutput(out,
                    std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())));
    }

    TJson j;
    j.BeginObject();
    j.Key("LastArea");
    WriteRect(j, report.Area);
    j.Key("Lines").Value(static_cast<std::int64_t>(report.Lines.size()));
    j.Key("CutCount").Value(report.CutCount);
    j.Key("FillCount").Value(report.FillCount);
    j.Key("CutVolume").Value(report.CutVolume);
    j.Key("FillVolume").Value(report.FillVolume);
    j.Key("AreaHa").Value(report.AreaHa());
    // The design elevation on the ground beside the plan's "Cota da Origem".
    j.Key("FirstStake");
    if (report.FirstStake) {
        j.BeginObject();
        j.Key("Col").Value(report.FirstStake->Col).Key("Row").Value(report.FirstStake->Row);
        j.Key("Design").Value(report.FirstStake->Design);
        j.EndObject();
    } else {
        j.Null();
    }
    if (pages > 0)
        j.Key("Pages").Value(pages);
    j.EndObject();
    SummaryStream(out) << j.Str() << "\n";
    return kExitOk;
}

}  // namespace nivora::cli
