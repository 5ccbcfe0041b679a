#include "PopplerTools.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>

namespace nivora::testing {

QString RunTool(const QString& tool, const QStringList& args)
{
    const QString path = QStandardPaths::findExecutable(tool);
    if (path.isEmpty())
        return {};
    QProcess p;
    p.start(path, args);
    if (!p.waitForFinished(120000) || p.exitCode() != 0)
        return {};
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString PdfText(const QString& pdf, int page)
{
    QStringList args{"-layout", "-enc", "UTF-8"};
    if (page > 0)
        args << "-f" << QString::number(page) << "-l" << QString::number(page);
    args << pdf << "-";
    QString text = RunTool("pdftotext", args);
    text.replace(QRegularExpression("[ \\t]+"), " ");
    return text;
}

int PdfPages(const QString& pdf)
{
    const auto m = QRegularExpression("Pages:\\s+(\\d+)").match(RunTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString PdfPageSize(const QString& pdf)
{
    const auto m = QRegularExpression("Page size:\\s+(.*)").match(RunTool("pdfinfo", {pdf}));
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

QStringList PdfFontsNotEmbedded(const QString& pdf)
{
    const QStringList lines = RunTool("pdffonts", {pdf}).split('\n', Qt::SkipEmptyParts);
    if (lines.size() < 2)
        return {"?"};
    QStringList missing;
    // name, type, encoding, emb, sub, uni, object, ID: the type may be two
    // words, so "emb" is counted from the end.
    for (const QString& line : lines.mid(2)) {
        const QStringList f = line.split(' ', Qt::SkipEmptyParts);
        if (f.size() < 7 || f[f.size() - 5] != "yes")
            missing << f.value(0);
    }
    return missing;
}

QImage PdfPageImage(const QString& pdf, int page, int dpi)
{
    QTemporaryDir dir;
    const QString prefix = dir.filePath("page");
    RunTool("pdftoppm", {"-png", "-r", QString::number(dpi), "-f", QString::number(page), "-l", QString::number(page),
                         "-singlefile", pdf, prefix});
    return QImage(prefix + ".png");
}

}  // namespace nivora::testing
