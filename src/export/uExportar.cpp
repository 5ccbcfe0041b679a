#include "uExportar.h"

#include "NivoraVersion.h"
#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "app/sist.h"
#include "calc/StakeCoordinates.h"
#include "export/FileExport.h"
#include "grid/datagrid.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <QEventLoop>

#include <exception>
#include <thread>

namespace nivora {

namespace {

constexpr int kHelpContext = 90;

struct TFormatText {
    TExportFormat Format;
    const char* Filter;
    const char* Extension;
    const char* Description;
};
// clang-format off
constexpr TFormatText kFormats[] = {
    {TExportFormat::LandXml, "LandXML 1.2 (*.xml)", ".xml",
     "LandXML 1.2: as superfícies em triângulos, para os programas de escritório do controle de máquinas, "
     "as controladoras de campo e os programas de engenharia."},
    {TExportFormat::GeoTiff, "GeoTIFF (*.tif *.tiff)", ".tif",
     "GeoTIFF: uma imagem de três bandas (natural, projeto e corte/aterro), um pixel por piquete, para os "
     "programas de SIG."},
    {TExportFormat::GeoPackage, "GeoPackage (*.gpkg)", ".gpkg",
     "GeoPackage: os piquetes como pontos 3D com as cotas e o corte/aterro, as curvas de nível e o contorno, "
     "para os programas de SIG."},
    {TExportFormat::Dxf, "DXF R12 (*.dxf)", ".dxf",
     "DXF R12: pontos, faces 3D, textos e polilinhas em camadas, para os programas de CAD e as controladoras "
     "de campo."},
    {TExportFormat::AsciiGrid, "ESRI ASCII Grid (*.asc)", ".asc",
     "ESRI ASCII Grid: a superfície de projeto (ou a natural, sem plano) em células quadradas, para programas "
     "de SIG e de desenho mais antigos."},
};
// clang-format on

const TFormatText* FormatOf(const QString& fileName)
{
    const auto format = ExportFormatFor(QFile::encodeName(fileName).toStdString());
    for (const TFormatText& f : kFormats)
        if (format && f.Format == *format)
            return &f;
    return nullptr;
}

QString LevelsText(const std::vector<long double>& levels)
{
    QStringList texts;
    for (long double level : levels)
        texts << QString::number(double(level), 'g', 10).replace('.', QChar(DecimalSeparator()));
    return texts.isEmpty() ? QString("Curvas de nível: nenhuma cota definida.")
                           : "Curvas de nível nas cotas " + texts.join("; ") + " m.";
}

// A write stopped by "Cancelar".
class TExportCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "Exportação cancelada."; }
};

// The writer's progress, handed from its thread to the frame's gauge; the
// way a cancel reaches the writer, which reports its progress row by row.
class TProgressRelay : public IProgress {
public:
    TProgressRelay(QObject* receiver, IProgress* gauge, const std::atomic<bool>& cancelled)
        : receiver_(receiver), gauge_(gauge), cancelled_(cancelled)
    {}
    void Start(const std::string& message) override
    {
        Stop();
        if (gauge_)
            QMetaObject::invokeMethod(
                receiver_,
                [g = gauge_, message] {
                    // From empty, whatever the last computation left: the
                    // gauge shows as Start lets the window paint.
                    g->Set(0, 1);
                    g->Start(message);
                },
                Qt::QueuedConnection);
    }
    void Set(int done, int total) override
    {
        Stop();
        // The gauge is put away by the dialog once the file is written.
        if (gauge_ && done < total)
            QMetaObject::invokeMethod(
                receiver_, [g = gauge_, done, total] { g->Set(done, total); }, Qt::QueuedConnection);
    }

private:
    void Stop() const
    {
        if (cancelled_)
            throw TExportCancelled();
    }
    QObject* receiver_;
    IProgress* gauge_;
    const std::atomic<bool>& cancelled_;
};

}  // namespace

QStringList TExportar::Filters()
{
    QStringList filters;
    for (const TFormatText& f : kFormats)
        filters << f.Filter;
    return filters;
}

TExportar::TExportar(QWidget* parent) : QDialog(parent)
{
    setObjectName("Exportar");
    setWindowTitle("Exportar");
    setProperty("HelpContext", kHelpContext);
    const QString boldTitle = "QGroupBox { font-weight: bold; }";
    auto* main = new QVBoxLayout(this);

    auto* fileRow = new QHBoxLayout;
    auto* lbArquivo = new QLabel("&Arquivo:", this);
    edArquivo = new QLineEdit(this);
    edArquivo->setObjectName("edArquivo");
    edArquivo->setMinimumWidth(360);
    lbArquivo->setBuddy(edArquivo);
    btProcurar = new QPushButton("&Procurar...", this);
    btProcurar->setObjectName("btProcurar");
    btProcurar->setAutoDefault(false);
    fileRow->addWidget(lbArquivo);
    fileRow->addWidget(edArquivo, 1);
    fileRow->addWidget(btProcurar);
    main->addLayout(fileRow);

    lbFormato = new QLabel(this);
    lbFormato->setObjectName("lbFormato");
    lbFormato->setWordWrap(true);
    main->addWidget(lbFormato);

    auto* gbConteudo = new QGroupBox("Conteúdo", this);
    gbConteudo->setObjectName("gbConteudo");
    gbConteudo->setStyleSheet(boldTitle);
    auto* gc = new QVBoxLayout(gbConteudo);
    const auto box = [&](QCheckBox*& cb, const char* name, const char* text) {
        cb = new QCheckBox(text, gbConteudo);
        cb->setObjectName(name);
        cb->setStyleSheet("font-weight: normal;");
        cb->setChecked(true);
        gc->addWidget(cb);
    };
    box(cbNatural, "cbNatural", "Superfície &natural");
    box(cbProjeto, "cbProjeto", "Superfície de pro&jeto (plano corrente)");
    box(cbCorteAterro, "cbCorteAterro", "&Cortes e aterros");
    box(cbCurvas, "cbCurvas", "Curvas de ní&vel (cotas do mapa altimétrico)");
    lbCurvas = new QLabel(gbConteudo);
    lbCurvas->setObjectName("lbCurvas");
    lbCurvas->setStyleSheet("font-weight: normal;");
    lbCurvas->setWordWrap(true);
    lbCurvas->setIndent(20);
    gc->addWidget(lbCurvas);
    box(cbContorno, "cbContorno", "Contorno da á&rea levantada");
    main->addWidget(gbConteudo);

    auto* gbSistema = new QGroupBox("Sistema de coordenadas", this);
    gbSistema->setObjectName("gbSistema");
    gbSistema->setStyleSheet(boldTitle);
    auto* gs = new QVBoxLayout(gbSistema);
    lbSistema = new QLabel(gbSistema);
    lbSistema->setObjectName("lbSistema");
    lbSistema->setWordWrap(true);
    gs->addWidget(lbSistema);
    main->addWidget(gbSistema);

    const TDialogButtons b = AddDialogButtons(this, main, Qt::Horizontal, "BitBtn1", "BitBtn2", "BitBtn3");
    BitBtn1 = b.Ok;
    BitBtn2 = b.Cancel;
    BitBtn3 = b.Help;
    BitBtn3->setAutoDefault(false);

    connect(edArquivo, &QLineEdit::textChanged, this, &TExportar::edArquivoChange);
    connect(btProcurar, &QPushButton::clicked, this, &TExportar::btProcurarClick);
    connect(BitBtn1, &QPushButton::clicked, this, [this] { RunCommand(this, [this] { BitBtn1Click(); }); });
    connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
    connect(BitBtn3, &QPushButton::clicked, this, [this] {
        if (TForm1* frame = FrameOf(this))
            ShowHelpTopic(frame->State(), kHelpContext);
    });
}

bool TExportar::Execute(TForm2* document, const TContourRequest& levels, IProgress* progress)
{
    if (!document)
        return false;
    Document = document;
    Progress = progress;
    Written = false;
    TTerreno& t = document->Terrain();
    HasPlan = t.ResultsValid();
    // Without a plan there is no design to offer.
    for (QCheckBox* cb : {cbProjeto, cbCorteAterro})
        cb->setChecked(HasPlan);

    // The levels of the altimetric map, or what its dialog would propose.
    Levels = levels.LevelList();
    if (Levels.empty()) {
        TContourRequest proposal;
        proposal.TakeLimits(t.MapLimits());
        std::vector<std::string> list;
        AddEquidistantLevels(list, DefaultEquidistant(proposal.MinElevation, proposal.MaxElevation), '.');
        if (SetRequestLevels(proposal, list, '.'))
            Levels = proposal.LevelList();
    }
    lbCurvas->setText(LevelsText(Levels));

    if (const auto& g = t.Extension().Georeference) {
        const std::string name = CrsNameOf(g->Epsg);
        lbSistema->setStyleSheet("font-weight: normal;");
        lbSistema->setText(QString::fromStdString(GeoreferenceText(*g, DecimalSeparator()))
                           + (name.empty() ? QString() : " — " + QString::fromStdString(name)) + ".");
    } else {
        lbSistema->setStyleSheet("font-weight: normal; color: #a00000;");
        lbSistema->setText(QString::fromStdString(LocalCoordinatesWarning()));
    }

    // The name proposed: the project's, with the format's extension.
    if (edArquivo->text().isEmpty() || !FormatOf(edArquivo->text())) {
        const QFileInfo project(document->FileName());
        const QString base = document->FileName().isEmpty() ? QString("projeto") : project.completeBaseName();
        const QString folder = (document->FileName().isEmpty() ? QDir::homePath() : project.absolutePath()) + "/";
        edArquivo->setText(folder + base + ".xml");
    } else {
        edArquivoChange();
    }
    edArquivo->setFocus();
    edArquivo->selectAll();
    Dialogs().ExecDialog(this);
    Document = nullptr;
    Progress = nullptr;
    return Written;
}

void TExportar::btProcurarClick()
{
    const TFormatText* current = FormatOf(edArquivo->text());
    QStringList filters = Filters();
    QString selected = current ? QString(current->Filter) : filters.front();
    // The chosen type first, as the save dialog opens on it.
    filters.removeAll(selected);
    filters.prepend(selected);
    const QString name = Dialogs().SaveExportName(this, edArquivo->text(), filters, &selected);
    if (name.isEmpty())
        return;
    QString chosen = name;
    if (!FormatOf(chosen))
        for (const TFormatText& f : kFormats)
            if (selected == f.Filter)
                chosen += f.Extension;
    edArquivo->setText(chosen);
}

void TExportar::edArquivoChange()
{
    const TFormatText* f = FormatOf(edArquivo->text());
    lbFormato->setText(f ? QString("Formato: ") + f->Description
                         : QString("Formato: dê ao arquivo a extensão de um dos formatos: .xml (LandXML), .tif "
                                   "(GeoTIFF), .gpkg (GeoPackage), .dxf (DXF) ou .asc (ESRI ASCII Grid)."));
    const TExportFormat format = f ? f->Format : TExportFormat::Dxf;
    // What each format can hold; the design and its cuts and fills need a
    // current plan.
    const bool surfaces = format != TExportFormat::AsciiGrid && format != TExportFormat::GeoPackage;
    const bool lines = format == TExportFormat::Dxf || format == TExportFormat::GeoPackage;
    cbNatural->setEnabled(surfaces);
    cbProjeto->setEnabled(surfaces && HasPlan);
    cbCorteAterro->setEnabled(surfaces && format != TExportFormat::LandXml && HasPlan);
    cbCurvas->setEnabled(lines && !Levels.empty());
    lbCurvas->setEnabled(cbCurvas->isEnabled());
    cbContorno->setEnabled(lines);
    BitBtn1->setEnabled(f != nullptr);
}

TExportContent TExportar::Chosen() const
{
    TExportContent c;
    c.Natural = cbNatural->isChecked();
    c.Design = cbProjeto->isChecked() && HasPlan;
    c.CutFill = cbCorteAterro->isChecked() && HasPlan;
    c.Contours = cbCurvas->isChecked();
    c.Outline = cbContorno->isChecked();
    return c;
}

void TExportar::BitBtn1Click()
{
    if (!Document)
        return;
    const QString name = edArquivo->text().trimmed();
    const TFormatText* f = FormatOf(name);
    if (!f) {
        Messages().Error(this,
                         "Dê ao arquivo a extensão de um dos formatos de exportação: .xml, .tif, .gpkg, "
                         ".dxf ou .asc.");
        edArquivo->setFocus();
        return;
    }
    TTerreno& t = Document->Terrain();
    const TUsedRect area = HasPlan && !t.LastArea().IsEmpty() ? t.LastArea() : t.ComputeUsedRect();
    TExportInfo info;
    info.Content = Chosen();
    if (f->Format == TExportFormat::GeoPackage || f->Format == TExportFormat::AsciiGrid)
        info.Content.Natural = info.Content.Design = info.Content.CutFill = true;
    if (f->Format == TExportFormat::LandXml && !info.Content.Natural && !info.Content.Design) {
        Messages().Error(this, "Escolha a superfície natural, a de projeto ou as duas.");
        return;
    }
    info.Levels = Levels;
    info.Version = NIVORA_VERSION;
    info.Progress = Progress;
    StampNow(info);
    const TExportData stakes(t, area, HasPlan);
    info.CrsName = CrsNameOf(stakes.Epsg());

    // The file is written in a thread of its own, so that the gauge moves
    // and "Cancelar" answers. The dialog is modal: nothing changes the
    // document meanwhile, and the writer only reads it.
    TProgressRelay relay(this, Progress, Cancelled);
    info.Progress = &relay;
    const std::string fileName = QFile::encodeName(name).toStdString();
    std::exception_ptr failure;
    QEventLoop loop;
    Cancelled = false;
    Writing_ = true;
    for (QWidget* w : std::initializer_list<QWidget*>{edArquivo, btProcurar, BitBtn1, BitBtn3})
        w->setEnabled(false);
    for (QCheckBox* cb : {cbNatural, cbProjeto, cbCorteAterro, cbCurvas, cbContorno})
        cb->setProperty("WasEnabled", cb->isEnabled()), cb->setEnabled(false);
    std::thread writer([&] {
        try {
            WriteExportFile(fileName, stakes, info);
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec(QEventLoop::ExcludeSocketNotifiers);
    writer.join();
    Writing_ = false;
    for (QWidget* w : std::initializer_list<QWidget*>{edArquivo, btProcurar, BitBtn3})
        w->setEnabled(true);
    for (QCheckBox* cb : {cbNatural, cbProjeto, cbCorteAterro, cbCurvas, cbContorno})
        cb->setEnabled(cb->property("WasEnabled").toBool());
    edArquivoChange();
    // What the writer posted before it stopped, then the gauge put away.
    QCoreApplication::sendPostedEvents(this);
    if (Progress)
        Progress->Set(1, 1);
    if (failure) {
        try {
            std::rethrow_exception(failure);
        } catch (const TExportCancelled&) {
            return;  // nothing written; the dialog stays for another try
        }
    }
    Written = true;
    accept();
}

void TExportar::reject()
{
    if (Writing_) {
        Cancelled = true;
        return;
    }
    QDialog::reject();
}

}  // namespace nivora
