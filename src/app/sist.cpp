#include "sist.h"

#include "app/HelpViewer.h"
#include "app/Platform.h"
#include "contour/uDefMapa.h"
#include "contour/uShowCurvas.h"
#include "grid/NVHelp.h"
#include "grid/uAbout.h"
#include "grid/uWinSurf.h"
#include "calc/uDefSist.h"
#include "calc/uRestricoes.h"
#include "calc/uTransporte.h"
#include "optimize/uOtimizar.h"
#include "calc/uEscoamento.h"
#include "calc/uMapa.h"
#include "calc/uPerfil.h"
#include "calc/uResult.h"
#include "data/NumberEdit.h"
#include "data/SaveOpenCommands.h"
#include "data/uFileNew.h"
#include "data/uPropriedades.h"
#include "export/uExportar.h"
#include "grid/datagrid.h"
#include "survey/uImportaPontos.h"
#include "print/uPrint.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QProgressBar>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QStatusBar>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QKeyEvent>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace nivora {

namespace {

constexpr int kPanel1Width = 124;  // status panel 1, where the gauge sits

// Tool button pictures, drawn here so the program needs no icon theme.
QIcon ToolIcon(const QString& kind)
{
    QPixmap pm(20, 20);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1.2));
    if (kind == "new") {
        QPainterPath page;
        page.moveTo(4, 2);
        page.lineTo(12, 2);
        page.lineTo(16, 6);
        page.lineTo(16, 18);
        page.lineTo(4, 18);
        page.closeSubpath();
        p.fillPath(page, Qt::white);
        p.drawPath(page);
        p.drawLine(12, 2, 12, 6);
        p.drawLine(12, 6, 16, 6);
    } else if (kind == "open") {
        p.setBrush(QColor(240, 200, 80));
        p.drawRect(2, 6, 15, 11);
        p.drawRect(2, 4, 6, 2);
    } else if (kind == "save") {
        p.setBrush(QColor(60, 90, 170));
        p.drawRect(2, 2, 16, 16);
        p.setBrush(Qt::white);
        p.drawRect(5, 3, 10, 6);
        p.setBrush(QColor(200, 200, 200));
        p.drawRect(6, 12, 8, 6);
    } else if (kind == "cut") {
        p.drawEllipse(QPointF(6, 15), 3, 3);
        p.drawEllipse(QPointF(14, 15), 3, 3);
        p.drawLine(QPointF(7.5, 12.5), QPointF(14, 2));
        p.drawLine(QPointF(12.5, 12.5), QPointF(6, 2));
    } else if (kind == "copy") {
        p.setBrush(Qt::white);
        p.drawRect(3, 3, 9, 11);
        p.drawRect(8, 7, 9, 11);
    } else if (kind == "paste") {
        p.setBrush(QColor(190, 140, 80));
        p.drawRect(3, 4, 12, 14);
        p.setBrush(Qt::white);
        p.drawRect(8, 8, 9, 10);
        p.setBrush(QColor(120, 120, 120));
        p.drawRect(6, 2, 6, 3);
    } else if (kind == "less" || kind == "more") {
        QFont f("DejaVu Sans", 7);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 20, 12), Qt::AlignCenter, kind == "less" ? ",00" : ",000");
        p.drawText(QRect(0, 9, 20, 11), Qt::AlignCenter, kind == "less" ? "\u2190" : "\u2192");
    } else if (kind == "zoom") {
        QPixmap z(16, 28);
        z.fill(Qt::transparent);
        QPainter q(&z);
        q.setRenderHint(QPainter::Antialiasing);
        q.setPen(QPen(QColor(40, 40, 40), 1.5));
        q.drawEllipse(QPointF(7, 11), 5, 5);
        q.drawLine(QPointF(10.5, 14.5), QPointF(15, 19));
        return QIcon(z);
    }
    return QIcon(pm);
}

// The long part of a hint: what follows the bar, or the whole hint.
QString LongHint(const QString& hint)
{
    const int bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString ShortHint(const QString& hint)
{
    const int bar = hint.indexOf('|');
    return bar < 0 ? hint : hint.left(bar);
}

}  // namespace

TForm1* FrameOf(const QWidget* widget)
{
    // A child window's top-level window is the frame; a dialog is a window
    // of its own whose parent is the frame.
    for (QWidget* w = widget ? widget->window() : nullptr; w;
         w = w->parentWidget() ? w->parentWidget()->window() : nullptr)
        if (auto* frame = qobject_cast<TForm1*>(w))
            return frame;
    return nullptr;
}

QIcon ProgramIcon()
{
    // The rendered sizes of desktop/nivora.svg, built into the program, so
    // the frame and its children show the same icon as the desktop entry.
    QIcon icon;
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/icons/%1x%1/nivora.png").arg(size), QSize(size, size));
    return icon;
}

TForm1::TForm1(QWidget* parent) : QMainWindow(parent)
{
    setObjectName("Form1");
    setWindowTitle("Nivora 1.0");
    FontDialogFont = QFont("Arial");
    FontDialogFont.setPixelSize(15);

    auto* central = new QWidget(this);
    auto* column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    CreateToolBar();
    column->addWidget(ToolBar);
    auto* row = new QHBoxLayout;
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    MdiArea_ = new QMdiArea(central);
    MdiArea_->setObjectName("MdiArea");
    MdiArea_->setBackground(palette().brush(QPalette::Dark));
    // A child opens framed, at its own size and movable, whatever the state
    // of the others: the toolkit would maximize every window that becomes
    // active after a maximized one, and the new window's sizing would then
    // leave it a frameless rectangle.
    MdiArea_->setOption(QMdiArea::DontMaximizeSubWindowOnActivation, true);
    row->addWidget(MdiArea_, 1);
    Panel1 = new QWidget(central);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedWidth(30);
    Panel1->setAutoFillBackground(true);
    Shape1 = new QFrame(Panel1);
    Shape1->setObjectName("Shape1");
    Shape1->setGeometry(4, 0, 22, 0);
    Shape1->setAutoFillBackground(true);
    Shape1->hide();
    Bevel1 = new QFrame(Panel1);
    Bevel1->setObjectName("Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(0, 4, 30, 2);
    Panel1->hide();
    row->addWidget(Panel1);
    column->addLayout(row, 1);
    setCentralWidget(central);

    CreateMenus();
    CreateStatusBar();
    CreateShortcuts();
    connect(MdiArea_, &QMdiArea::subWindowActivated, this, &TForm1::SubWindowActivated);
    // A copy here or in another program enables paste at once.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, this, &TForm1::UpdatePaste);

    // The frame nearly fills the screen, centred, at the top.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const int width = avail.width() - 20;
        const int height = avail.height() - 30;
        resize(std::max(640, width), std::max(480, height));
        move(avail.left() + (avail.width() - this->width()) / 2, avail.top());
    }

    FileNew = new TFileNew(this);
    DefSist = new TDefSist(this);
    CreateAltimetricDialogs(*this);
    About = new TAbout(this);
    Panel1->installEventFilter(this);
    SetHelpContext();
    // F1 anywhere in the program is a help request.
    qApp->installEventFilter(this);
    UpdateEditMenu();
    UpdateMenuItems();
}

TForm1::~TForm1()
{
    qApp->removeEventFilter(this);
    delete State_.HelpViewer;
}

int TForm1::OpenDocumentCount() const
{
    const QList<QMdiSubWindow*> windows = MdiArea_->subWindowList();
    return int(
        std::count_if(windows.begin(), windows.end(), [](QMdiSubWindow* w) { return qobject_cast<TForm2*>(w); }));
}

int TForm1::MapCount() const
{
    const QList<QMdiSubWindow*> windows = MdiArea_->subWindowList();
    return int(std::count_if(windows.begin(), windows.end(), [](QMdiSubWindow* w) { return qobject_cast<TMapa*>(w); }));
}

QAction* TForm1::Item(QMenu* menu, const char* name, const QString& caption, const QString& hint,
                      void (TForm1::*handler)(), const QKeySequence& key)
{
    auto* a = new QAction(caption, this);
    a->setObjectName(name);
    a->setStatusTip(hint);
    if (!key.isEmpty()) {
        // Shown in the menu; the key itself goes through DispatchShortcut.
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetShortcut);
    }
    if (handler)
        connect(a, &QAction::triggered, this, [this, handler] {
            RunCommand(this, [this, handler] {
                CommitActiveEdit();
                (this->*handler)();
            });
        });
    if (menu)
        menu->addAction(a);
    return a;
}

void TForm1::CreateMenus()
{
    QMenuBar* bar = menuBar();
    const auto topMenu = [&](const char* name, const QString& caption, const QString& hint) {
        QMenu* m = bar->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(QString(name) + "Item");
        m->menuAction()->setStatusTip(hint);
        return m;
    };

    File1 = topMenu("File1", "&Arquivo", "Comandos relacionados com arquivos.");
    mnNovo = Item(File1, "mnNovo", "&Novo...", "Cria um novo arquivo de cotas.", &TForm1::mnNovoClick,
                  QKeySequence("Ctrl+N"));
    mnAbrir = Item(File1, "mnAbrir", "&Abrir...", "Abre um arquivo de cotas existente.", &TForm1::mnAbrirClick,
                   QKeySequence("Ctrl+A"));
    mnImportarPontos = Item(File1, "mnImportarPontos", "Importar &Pontos...",
                            "Cria uma grade de cotas a partir de pontos levantados com GNSS ou estação total.",
                            &TForm1::mnImportarPontosClick);
    mnFechar = Item(File1, "mnFechar", "&Fechar", "Fecha a janela corrente.", &TForm1::mnFecharClick);
    mnSalvar = Item(File1, "mnSalvar", "&Salvar", "Salva o conteúdo da janela corrente.", &TForm1::mnSalvarClick,
                    QKeySequence("Ctrl+S"));
    mnSalvarComo = Item(File1, "mnSalvarComo", "Salvar &Como...", "Salva o conteúdo da janela corrente com outro nome.",
                        &TForm1::mnSalvarComoClick);
    mnImprimir = Item(File1, "mnImprimir", "&Imprimir...", "Imprime o conteúdo da janela corrente.",
                      &TForm1::mnImprimirClick, QKeySequence("Ctrl+P"));
    mnExportarPDF = Item(File1, "mnExportarPDF", "&Exportar PDF...",
                         "Exporta o conteúdo da janela corrente para um arquivo PDF.", &TForm1::mnExportarPDFClick);
    mnExportar = Item(File1, "mnExportar", "E&xportar...",
                      "Exporta o terreno e o projeto para outros programas (LandXML, GeoTIFF, GeoPackage, DXF).",
                      &TForm1::mnExportarClick);
    connect(File1, &QMenu::aboutToShow, this, &TForm1::UpdateMenuItems);
    File1->addSeparator()->setObjectName("N8");
    mnPropriedades = Item(File1, "mnPropriedades", "Pr&opriedades do Projeto...",
                          "Mostra e altera o sistema de coordenadas e a posição do projeto no terreno.",
                          &TForm1::mnPropriedadesClick);
    File1->addSeparator()->setObjectName("N1");
    FileExitItem = Item(File1, "FileExitItem", "Sai&r", "Encerra a execução do programa.");
    connect(FileExitItem, &QAction::triggered, this, &QWidget::close);

    Edit1 = topMenu("Edit1", "&Editar", "Comandos relacionados a edição.");
    connect(Edit1, &QMenu::aboutToShow, this, &TForm1::UpdateEditMenu);
    mnDesfazer = Item(Edit1, "mnDesfazer", "&Desfazer", "Desfaz a última alteração das cotas.",
                      &TForm1::mnDesfazerClick, QKeySequence("Ctrl+Z"));
    mnRefazer = Item(Edit1, "mnRefazer", "&Refazer", "Refaz a alteração desfeita.", &TForm1::mnRefazerClick,
                     QKeySequence("Ctrl+Y"));
    // Redo answers to both keys programs use for it.
    mnRefazer->setShortcuts({QKeySequence("Ctrl+Y"), QKeySequence("Ctrl+Shift+Z")});
    Edit1->addSeparator()->setObjectName("N7");
    mnRecortar = Item(Edit1, "mnRecortar", "&Recortar",
                      "Exclui o conteúdo selecionado, copiando-o para a área de transferência.",
                      &TForm1::mnRecortarClick, QKeySequence("Shift+Del"));
    mnCopiar = Item(Edit1, "mnCopiar", "&Copiar", "Copia o conteúdo selecionado para a área de transferência.",
                    &TForm1::mnCopiarClick, QKeySequence("Ctrl+C"));
    mnColar = Item(Edit1, "mnColar", "&Colar", "Cola o conteúdo da área de transferência.", &TForm1::mnColarClick,
                   QKeySequence("Ctrl+V"));
    Edit1->addSeparator()->setObjectName("N2");
    XColuna1 = Edit1->addMenu("Coluna  &X");
    XColuna1->setObjectName("XColuna1");
    XColuna1->menuAction()->setStatusTip("Comandos para inserir ou excluir colunas.");
    mnInsCol =
        Item(XColuna1, "mnInsCol", "&Inserir", "Insere uma coluna na posição da célula ativa.", &TForm1::mnInsColClick);
    mnDelCol =
        Item(XColuna1, "mnDelCol", "&Excluir", "Exclui a coluna na posição da célula ativa.", &TForm1::mnDelColClick);
    LinhaY1 = Edit1->addMenu("Linha  &Y");
    LinhaY1->setObjectName("LinhaY1");
    LinhaY1->menuAction()->setStatusTip("Comandos para inserir ou excluir linhas.");
    mnInsRow =
        Item(LinhaY1, "mnInsRow", "&Inserir", "Insere uma linha na posição da célula ativa.", &TForm1::mnInsRowClick);
    mnDelRow =
        Item(LinhaY1, "mnDelRow", "&Excluir", "Exclui a coluna na posição da célula ativa.", &TForm1::mnDelRowClick);

    mnCalcular = topMenu("mnCalcular", "&Cálculos", "Comandos relacionados com cálculos de sistematização.");
    connect(mnCalcular, &QMenu::aboutToShow, this, &TForm1::UpdateCalcMenu);
    mnSistematizar = Item(mnCalcular, "mnSistematizar", "&Sistematizar...", "Executa os cálculos de sistematização.",
                          &TForm1::ShowSystematizeDialog, QKeySequence("F9"));
    mnRestricoes = Item(mnCalcular, "mnRestricoes", "Projeto com &Restrições...",
                        "Calcula um plano com declividades limitadas, importação ou exportação de terra e "
                        "compensação de recalque.",
                        &TForm1::mnRestricoesClick);
    mnOtimizar = Item(mnCalcular, "mnOtimizar", "Superfície &Otimizada...",
                      "Calcula a superfície de projeto que move menos terra com as declividades limitadas.",
                      &TForm1::mnOtimizarClick);
    mnTransporte = Item(mnCalcular, "mnTransporte", "Distância de &Transporte...",
                        "Calcula a distância média de transporte da terra do plano atual, as curvas de massa e o "
                        "custo da terraplenagem.",
                        &TForm1::mnTransporteClick);

    mnExibir = topMenu("mnExibir", "E&xibir", "Comandos relacionados com a exibição.");
    connect(mnExibir, &QMenu::aboutToShow, this, &TForm1::UpdateViewMenu);
    mnExibirResultados = Item(mnExibir, "mnExibirResultados", "&Resultados...",
                              "Exibe os resultados da sistematização.", &TForm1::mnExibirResultadosClick);
    mnExibirResultados->setCheckable(true);
    mnExibirMapa = Item(mnExibir, "mnExibirMapa", "&Mapa de Cortes e Aterros",
                        "Exibe um mapa que identifica as regiões de cortes e de aterros.", &TForm1::mnExibirMapaClick);
    mnExibirMapa->setCheckable(true);
    mnCurvas = Item(mnExibir, "mnCurvas", "Mapa &Altimétrico...", "Exibe um mapa com as curvas de nível do terreno.",
                    &TForm1::mnCurvasClick);
    mnCurvasProjeto =
        Item(mnExibir, "mnCurvasProjeto", "Mapa Altimétrico do &Projeto",
             "Exibe um mapa com as curvas de nível da superfície de projeto.", &TForm1::mnCurvasProjetoClick);
    mnEscoamento =
        Item(mnExibir, "mnEscoamento", "Mapa de &Escoamento",
             "Exibe onde a água empoça e por onde escoa, no terreno natural ou no plano.", &TForm1::mnEscoamentoClick);
    mnPerfil = Item(mnExibir, "mnPerfil", "&Perfil...",
                    "Exibe o perfil do terreno e do projeto ao longo de uma linha, com seções transversais; num mapa, "
                    "a linha é desenhada com o mouse.",
                    &TForm1::mnPerfilClick);
    mnExibir->addSeparator()->setObjectName("N4");
    mnWinSurf = Item(mnExibir, "mnWinSurf", "Cotas Legíveis pelo &WinSurf",
                     "Exibe as cotas em um formato exportável para o software WinSurf.", &TForm1::mnWinSurfClick);
    mnExibir->addSeparator()->setObjectName("N5");
    mnToolBar = Item(mnExibir, "mnToolBar", "&Barra de Ferramentas", "Exibe ou oculta a barra de ferramentas.",
                     &TForm1::mnToolBarClick, QKeySequence("Ctrl+B"));
    mnToolBar->setCheckable(true);
    mnToolBar->setChecked(true);
    mnStatusBar = Item(mnExibir, "mnStatusBar", "Barra de &Status",
                       "Exibe ou oculta a barra de status (onde você está lendo).", &TForm1::mnStatusBarClick);
    mnStatusBar->setCheckable(true);
    mnStatusBar->setChecked(true);

    mnJanela = topMenu("mnJanela", "&Janela", "Comandos relacionados com a exibição das janelas.");
    connect(mnJanela, &QMenu::aboutToShow, this, &TForm1::RebuildWindowList);
    mnJanCascata = Item(mnJanela, "mnJanCascata", "&Cascata", "Sobrepõe as janelas em forma de cascata.");
    connect(mnJanCascata, &QAction::triggered, MdiArea_, &QMdiArea::cascadeSubWindows);
    mnJanLado = Item(mnJanela, "mnJanLado", "&Lado a Lado", "Exibe todas as janelas sem sobrepô-las.");
    connect(mnJanLado, &QAction::triggered, MdiArea_, &QMdiArea::tileSubWindows);
    mnJanArranjar = Item(mnJanela, "mnJanArranjar", "&Arranjar Ícones",
                         "Organiza os ícones das janelas na parte inferior...", &TForm1::mnJanArranjarClick);
    mnJanMiniminizar = Item(mnJanela, "mnJanMiniminizar", "&Minimizar Todas", "Minimiza todas as janelas.",
                            &TForm1::mnJanMiniminizarClick);

    mnAjuda = topMenu("mnAjuda", "Aj&uda", "Comandos relacionados com os tópicos de ajuda.");
    Contedo1 = Item(mnAjuda, "Contedo1", "Conteúdo", QString(), &TForm1::Contedo1Click);
    mnAjuda->addSeparator()->setObjectName("N3");
    HelpAboutItem = Item(mnAjuda, "HelpAboutItem", "&Sobre...", "Exibe a tela de abertura do programa.",
                         &TForm1::HelpAboutItemClick);
    // Never shown in the menu (an action that is not in any menu is never
    // visible); only its key works.
    CopiaComponents1 = Item(nullptr, "CopiaComponents1", "Copia Components", QString(), &TForm1::CopiaComponents1Click,
                            QKeySequence("F12"));
    CopiaComponents1->setCheckable(true);
    CopiaComponents1->setChecked(false);

    // clang-format off
    ItemMenus = {
        {mnNovo, {File1}},
        {mnAbrir, {File1}},
        {mnSalvar, {File1}},
        {mnDesfazer, {Edit1}},
        {mnRefazer, {Edit1}},
        {mnImprimir, {File1}},
        {mnRecortar, {Edit1}},
        {mnCopiar, {Edit1}},
        {mnColar, {Edit1}},
        {mnSistematizar, {mnCalcular}},
        {mnToolBar, {mnExibir}},
        {CopiaComponents1, {mnAjuda}},
    };
    // clang-format on
}

void TForm1::CreateToolBar()
{
    ToolBar = new QWidget(this);
    ToolBar->setObjectName("ToolBar");
    ToolBar->setFixedHeight(32);
    const auto button = [&](const char* name, int x, const QString& hint, const QString& icon,
                            void (TForm1::*handler)(), int width = 25) {
        auto* b = new QToolButton(ToolBar);
        b->setObjectName(name);
        b->setGeometry(x, 3, width, 25);
        b->setAutoRaise(true);
        b->setToolTip(ShortHint(hint));
        b->setStatusTip(LongHint(hint));
        if (!icon.isEmpty()) {
            b->setIcon(ToolIcon(icon));
            b->setIconSize(QSize(20, 20));
        }
        connect(b, &QToolButton::clicked, this, [this, handler] {
            RunCommand(this, [this, handler] {
                CommitActiveEdit();
                (this->*handler)();
            });
        });
        return b;
    };
    sbNovo = button("sbNovo", 5, "Cria um arquivo novo", "new", &TForm1::mnNovoClick);
    OpenBtn = button("OpenBtn", 30, "Abre|Abre um arquivo de cotas existente.", "open", &TForm1::mnAbrirClick);
    SaveBtn = button("SaveBtn", 55, "Salva|Salva o conteúdo da janela corrente.", "save", &TForm1::mnSalvarClick);
    CutBtn = button("CutBtn", 80, "Recorta|Recorta o items selecionados.", "cut", &TForm1::mnRecortarClick);
    CopyBtn = button("CopyBtn", 105, "Copia|Copia o conteúdo selecionado para a área de transferência.", "copy",
                     &TForm1::mnCopiarClick);
    PasteBtn =
        button("PasteBtn", 130, "Cola|Cola o conteúdo da área de transferência.", "paste", &TForm1::mnColarClick);
    sbFont = button("sbFont", 214, "Muda a fonte", QString(), &TForm1::sbFontClick, 60);
    sbFont->setText("Fonte");
    sbMenosDec = button("sbMenosDec", 275, "Menos casas decimais", "less", &TForm1::sbMenosDecClick);
    sbMaisDec = button("sbMaisDec", 300, "Mais casas decimais", "more", &TForm1::sbMaisDecClick);
    for (QToolButton* b : {SaveBtn, CutBtn, CopyBtn, PasteBtn, sbFont, sbMenosDec, sbMaisDec})
        b->setEnabled(false);
    Image1 = new QLabel(ToolBar);
    Image1->setObjectName("Image1");
    Image1->setGeometry(345, 2, 16, 28);
    Image1->setPixmap(ToolIcon("zoom").pixmap(16, 28));
    seZoom = new QSpinBox(ToolBar);
    seZoom->setObjectName("seZoom");
    seZoom->setGeometry(362, 4, 50, 24);
    seZoom->setRange(25, 400);
    seZoom->setSingleStep(25);
    seZoom->setValue(50);
    seZoom->setToolTip("Zoom");
    seZoom->setStatusTip("Amplia ou reduz a escala do mapa altimétrico.");
    seZoom->setEnabled(false);
    connect(seZoom, &QSpinBox::valueChanged, this, [this](int value) { seZoomChange(*this, value); });
    seZoom->installEventFilter(this);
}

void TForm1::CreateStatusBar()
{
    QStatusBar* bar = statusBar();
    bar->setObjectName("StatusBar");
    bar->setFixedHeight(24);
    bar->setSizeGripEnabled(false);
    StatusBar = bar;
    Panel0 = new QLabel(bar);
    Panel0->setObjectName("Panel0");
    Panel0->setFrameShape(QFrame::Panel);
    Panel0->setFrameShadow(QFrame::Sunken);
    Panel0->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Panel0->setFixedWidth(400);
    PanelGauge = new QLabel(bar);
    PanelGauge->setObjectName("PanelGauge");
    PanelGauge->setFrameShape(QFrame::Panel);
    PanelGauge->setFrameShadow(QFrame::Sunken);
    PanelGauge->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    PanelGauge->setFixedWidth(kPanel1Width);
    bar->addWidget(Panel0);
    bar->addWidget(PanelGauge);
    Gauge1 = new QProgressBar(bar);
    Gauge1->setObjectName("Gauge1");
    Gauge1->setRange(0, 100);
    Gauge1->setValue(100);
    Gauge1->setTextVisible(false);
    Gauge1->hide();
    LayOutStatusBar();
}

void TForm1::LayOutStatusBar()
{
    if (!Panel0)
        return;
    const int width0 = std::max(50, width() - kPanel1Width - 8);
    Panel0->setFixedWidth(width0);
    Gauge1->setGeometry(width0 + 12, 5, 100, 16);
    Gauge1->raise();
}

void TForm1::resizeEvent(QResizeEvent* e)
{
    QMainWindow::resizeEvent(e);
    LayOutStatusBar();
}

void TForm1::CreateShortcuts()
{
    for (const auto& [item, menus] : ItemMenus) {
        QAction* a = item;
        for (const QKeySequence& key : a->shortcuts()) {
            auto* s = new QShortcut(key, this);
            s->setObjectName(a->objectName() + "Shortcut");
            s->setContext(Qt::WindowShortcut);
            connect(s, &QShortcut::activated, this, [this, a] { DispatchShortcut(a); });
            // While the menu bar holds the focus (a menu closed with Esc, or
            // Alt pressed) Qt also offers the key to the menu item that shows
            // it, and calls the key ambiguous: whichever of the two gets the
            // key, it goes to the dispatcher.
            connect(s, &QShortcut::activatedAmbiguously, this, [this, a] { DispatchShortcut(a); });
        }
        a->installEventFilter(this);
    }
}

bool TForm1::DispatchShortcut(QAction* item)
{
    const auto it = ItemMenus.find(item);
    if (it == ItemMenus.end())
        return false;
    // The enabling below judges the cells with the value being typed.
    if (!RunCommand(this, [this] { CommitActiveEdit(); }))
        return false;
    for (QMenu* menu : it->second) {
        if (menu == Edit1)
            UpdateEditMenu();
        else if (menu == mnCalcular)
            UpdateCalcMenu();
        else if (menu == mnExibir)
            UpdateViewMenu();
    }
    for (QMenu* menu : it->second)
        if (!menu->isEnabled() || !menu->menuAction()->isEnabled())
            return false;
    if (!item->isEnabled())
        return false;
    item->trigger();  // a checkable item toggles, as a click would
    return true;
}

bool TForm1::event(QEvent* e)
{
    if (e->type() == QEvent::StatusTip) {
        SetHint(static_cast<QStatusTipEvent*>(e)->tip());
        return true;
    }
    return QMainWindow::event(e);
}

void TForm1::SetHint(const QString& hint)
{
    CurrentHint = hint;
    DisplayHint();
}

void TForm1::DisplayHint()
{
    if (Gauge1->isVisible())
        Panel0->setText("  " + GaugeText);
    else
        Panel0->setText("  " + LongHint(CurrentHint));
}

void TForm1::StartProgress(const QString& message)
{
    Gauge1->show();
    Gauge1->raise();
    GaugeText = message;
    DisplayHint();
    // Let the status line and the gauge appear. User input waits: a command
    // must not run in the middle of another one's computation.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TForm1::ShowGauge()
{
    Gauge1->show();
    Gauge1->raise();
}

void TForm1::SetProgress(int done, int total)
{
    if (total > 0)
        Gauge1->setValue(static_cast<int>(std::nearbyint(static_cast<double>(done) * 100.0 / total)));
    // A pass of a single row reports a total of 0: it is done at once.
    if (done >= total) {
        Gauge1->hide();
        GaugeText.clear();
        Panel0->setText(QString());
    }
}

QMdiSubWindow* TForm1::ActiveChild() const { return MdiArea_->activeSubWindow(); }

// ----------------------------------------------------- the map side strip

void TForm1::ShowMapLegend(bool visible) { Panel1->setVisible(visible); }

int TForm1::MapLegendHeight() const { return Panel1->height(); }

void TForm1::PlaceMapLegendZeroLine(int top) { Bevel1->move(0, top); }

void TForm1::ShowMapLegendBar(const QColor& colour, int top, int height)
{
    QPalette pal = Shape1->palette();
    pal.setColor(QPalette::Window, colour);
    Shape1->setPalette(pal);
    Shape1->setGeometry(4, top, 22, height);
    Shape1->show();
}

void TForm1::HideMapLegendBar() { Shape1->hide(); }

int TForm1::MapZoom() const { return seZoom->value(); }

void TForm1::ShowMapZoom(int percent) { seZoom->setValue(percent); }

void TForm1::MarkResultsShown(bool shown) { mnExibirResultados->setChecked(shown); }

TForm2* TForm1::ActiveChildDocument() const { return qobject_cast<TForm2*>(ActiveChild()); }

QMdiSubWindow* TForm1::AddChild(QMdiSubWindow* child)
{
    // The windows the frame's commands reach, known from the moment they join.
    if (auto* map = qobject_cast<TMapa*>(child))
        State_.CutFillMapWindow = map;
    else if (auto* curves = qobject_cast<TShowCurvas*>(child))
        State_.ActiveMapWindow = curves;
    else if (auto* results = qobject_cast<TResultado*>(child))
        State_.Resultado = results;
    else if (auto* listing = qobject_cast<TWinSurf*>(child))
        State_.WinSurf = listing;
    MdiArea_->addSubWindow(child);
    connect(child, &QObject::destroyed, this,
            [this] { QMetaObject::invokeMethod(this, &TForm1::UpdateMenuItems, Qt::QueuedConnection); });
    child->show();
    UpdateMenuItems();
    return child;
}

QList<QMdiSubWindow*> TForm1::ChildWindows(QMdiArea::WindowOrder order) const { return MdiArea_->subWindowList(order); }

void TForm1::ActivateChild(QMdiSubWindow* child) { MdiArea_->setActiveSubWindow(child); }

void TForm1::SubWindowActivated(QMdiSubWindow* window)
{
    if (PreviousChild && PreviousChild != window)
        if (auto* map = qobject_cast<TMapa*>(PreviousChild.data()))
            map->FormDeactivate();
    PreviousChild = window;
    if (auto* map = qobject_cast<TMapa*>(window))
        map->FormActivate();
    FollowActiveDocument();
    UpdateMenuItems();
}

TForm2* TForm1::ActiveDocument() const
{
    // The window activated last that shows a document names it: a grid
    // window itself, or a map or listing of a document still open. The
    // results window and other windows show none of their own.
    const QList<QMdiSubWindow*> history = MdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto it = history.rbegin(); it != history.rend(); ++it)
        if (TDocumentObject* document = DocumentShownBy(*it))
            // A grid window that has closed shows its document no more,
            // though it is deleted a moment later.
            if (auto* window = qobject_cast<TForm2*>(document->parent()); window && window->ViewedDocument())
                return window;
    return nullptr;
}

void TForm1::FollowActiveDocument()
{
    TForm2* active = ActiveDocument();
    if (active == ResultsDocument)
        return;
    ResultsDocument = active;
    for (const QMetaObject::Connection& c : ResultsFollow)
        disconnect(c);
    ResultsFollow.clear();
    // The results window always shows the active document: as it is now,
    // and after each edit, undo or computation of its plans.
    const auto repaint = [this] {
        if (State_.Resultado)
            State_.Resultado->Repaint();
    };
    if (TDocumentObject* document = active ? active->DocumentObject() : nullptr) {
        ResultsFollow.push_back(connect(document, &TDocumentObject::HistoryChanged, this, repaint));
        ResultsFollow.push_back(connect(document, &TDocumentObject::PlansChanged, this, repaint));
        repaint();
    }
}

void TForm1::MapWindowActivated(TShowCurvas* map) { State_.ActiveMapWindow = map; }

void TForm1::DocumentLeaving(const TForm2* document)
{
    // The results window goes with the last document; otherwise it shows
    // the document that is active now.
    const QList<QMdiSubWindow*> windows = MdiArea_->subWindowList();
    const bool another = std::any_of(windows.begin(), windows.end(), [document](QMdiSubWindow* w) {
        auto* other = qobject_cast<TForm2*>(w);
        return other && other != document && other->ViewedDocument();
    });
    if (!another && State_.Resultado)
        State_.Resultado->close();
    else
        FollowActiveDocument();
}

bool TForm1::eventFilter(QObject* object, QEvent* event)
{
    // A menu item's own key: run it as the frame's key would (see
    // CreateShortcuts).
    if (event->type() == QEvent::Shortcut)
        if (auto* item = qobject_cast<QAction*>(object); item && ItemMenus.count(item)) {
            DispatchShortcut(item);
            return true;
        }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_F1
        && static_cast<QKeyEvent*>(event)->modifiers() == Qt::NoModifier) {
        MyOnHelp();
        return true;
    }
    // The side panel's bar is laid out again when the panel changes size.
    // Entering the zoom box, it takes the active map's zoom.
    if (object == seZoom && event->type() == QEvent::FocusIn)
        seZoomEnter(*this);
    if (object == Panel1 && event->type() == QEvent::Resize) {
        if (auto* map = qobject_cast<TMapa*>(ActiveChild()))
            map->ScaleBar();
        else if (State_.CutFillMapWindow)
            State_.CutFillMapWindow->ScaleBar();
    }
    return QMainWindow::eventFilter(object, event);
}

void TForm1::UpdateMenuItems()
{
    const bool anyChild = !MdiArea_->subWindowList().isEmpty();
    for (QAction* a : {mnFechar, mnSalvar, mnSalvarComo, mnJanCascata, mnJanLado, mnJanArranjar, mnJanMiniminizar})
        a->setEnabled(anyChild);
    TForm2* doc = ActiveChildDocument();
    const bool documentActive = doc != nullptr;
    mnRecortar->setEnabled(documentActive);
    mnWinSurf->setEnabled(documentActive);
    mnPropriedades->setEnabled(ActiveDocument() != nullptr);
    mnImprimir->setEnabled(CanPrint(ActiveChild()));
    mnExportarPDF->setEnabled(mnImprimir->isEnabled());
    mnExportar->setEnabled(ActiveDocument() && ActiveDocument()->Terrain().ValueCount() > 0);
    sbFont->setEnabled(documentActive);
    sbMenosDec->setEnabled(documentActive);
    sbMaisDec->setEnabled(documentActive);
    mnCopiar->setEnabled((documentActive && doc == ActiveDocument())
                         || (State_.CutFillMapWindow && ActiveChild() == State_.CutFillMapWindow)
                         || (State_.ActiveMapWindow && ActiveChild() == State_.ActiveMapWindow)
                         || qobject_cast<TPerfil*>(ActiveChild()) || qobject_cast<TMapaEscoamento*>(ActiveChild())
                         || qobject_cast<THaulWindow*>(ActiveChild()) != nullptr);
    SaveBtn->setEnabled(mnSalvar->isEnabled());
    CutBtn->setEnabled(mnRecortar->isEnabled());
    CopyBtn->setEnabled(mnCopiar->isEnabled());
    UpdatePaste();  // the document activated may show another view, or be gone
    if (documentActive)
        FontDialogFont = doc->GridFont();
    seZoom->setEnabled(qobject_cast<TShowCurvas*>(ActiveChild()) != nullptr);
    UpdateUndoItems();
}

void TForm1::UpdateUndoItems()
{
    // The captions name the step, as "&Desfazer Colar"; the history is the
    // active document's.
    const TEditHistory* history = ActiveDocument() ? &ActiveDocument()->History() : nullptr;
    const bool canUndo = history && history->CanUndo();
    const bool canRedo = history && history->CanRedo();
    mnDesfazer->setEnabled(canUndo);
    mnDesfazer->setText(canUndo ? "&Desfazer " + QString::fromStdString(history->UndoText()) : QString("&Desfazer"));
    mnRefazer->setEnabled(canRedo);
    mnRefazer->setText(canRedo ? "&Refazer " + QString::fromStdString(history->RedoText()) : QString("&Refazer"));
}

void TForm1::mnDesfazerClick()
{
    if (ActiveDocument())
        ActiveDocument()->History().Undo();
}

void TForm1::mnRefazerClick()
{
    if (ActiveDocument())
        ActiveDocument()->History().Redo();
}

void TForm1::UpdatePaste()
{
    const QMimeData* mime = QGuiApplication::clipboard()->mimeData();
    const bool clipboardText = ClipboardHoldsText(mime);
    mnColar->setEnabled(ActiveDocument() && clipboardText && ActiveDocument()->ViewIndex() == 0);
    PasteBtn->setEnabled(mnColar->isEnabled());
}

void TForm1::UpdateEditMenu()
{
    UpdateUndoItems();
    UpdatePaste();
    for (QAction* a : {mnInsCol, mnDelCol, mnInsRow, mnDelRow})
        a->setEnabled(ActiveDocument() != nullptr);
}

void TForm1::UpdateCalcMenu()
{
    mnSistematizar->setEnabled(ActiveDocument() && ActiveDocument()->Terrain().HasComputableBlock());
    mnRestricoes->setEnabled(mnSistematizar->isEnabled());
    mnOtimizar->setEnabled(mnSistematizar->isEnabled());
    mnTransporte->setEnabled(ActiveDocument() && ActiveDocument()->Terrain().ResultsValid()
                             && ActiveDocument()->Terrain().PlaneComputed());
}

void TForm1::UpdateViewMenu()
{
    mnExibirResultados->setEnabled(ActiveDocument() && ActiveDocument()->Terrain().ResultsValid());
    mnExibirResultados->setChecked(State_.Resultado != nullptr);
    mnExibirMapa->setEnabled(mnExibirResultados->isEnabled());
    mnExibirMapa->setChecked(State_.CutFillMapWindow != nullptr);
    mnCurvasProjeto->setEnabled(mnExibirResultados->isEnabled() && ActiveDocument()->Terrain().PlaneComputed());
    // On a map the line is drawn over it, for the document it was drawn from.
    const TDocumentObject* mapDocument = nullptr;
    const bool onMap = qobject_cast<TMapa*>(ActiveChild()) || qobject_cast<TShowCurvas*>(ActiveChild());
    if (onMap)
        mapDocument = DocumentShownBy(ActiveChild());
    mnPerfil->setEnabled(onMap ? mapDocument != nullptr
                               : ActiveDocument() && ActiveDocument()->Terrain().ValueCount() > 0);
    mnEscoamento->setEnabled(ActiveDocument() && ActiveDocument()->Terrain().ValueCount() > 0);
}

void TForm1::RebuildWindowList()
{
    for (QAction* a : WindowListActions)
        delete a;
    WindowListActions.clear();
    const QList<QMdiSubWindow*> windows = MdiArea_->subWindowList();
    if (windows.isEmpty())
        return;
    WindowListActions.push_back(mnJanela->addSeparator());
    int number = 1;
    for (QMdiSubWindow* w : windows) {
        const QString caption = number < 10 ? QString("&%1 %2").arg(number).arg(w->windowTitle())
                                            : QString("%1 %2").arg(number).arg(w->windowTitle());
        QAction* a = mnJanela->addAction(caption);
        a->setCheckable(true);
        a->setChecked(w == MdiArea_->activeSubWindow());
        connect(a, &QAction::triggered, this, [this, w] {
            if (w->isMinimized())
                w->showNormal();
            MdiArea_->setActiveSubWindow(w);
        });
        WindowListActions.push_back(a);
        ++number;
    }
}

// ----------------------------------------------------------------- commands

void TForm1::mnNovoClick() { FileNew->Execute(); }

void TForm1::mnAbrirClick() { OpenProject(*this); }

void TForm1::mnImportarPontosClick()
{
    if (!ImportaPontos)
        ImportaPontos = new TImportaPontos(this);
    ImportaPontos->Execute();
}

void TForm1::mnFecharClick()
{
    if (QMdiSubWindow* w = ActiveChild())
        w->close();
}

void TForm1::mnSalvarClick()
{
    if (ActiveDocument())
        SaveProject(ActiveDocument());
}

void TForm1::mnSalvarComoClick()
{
    if (ActiveDocument())
        SaveProjectAs(ActiveDocument());
}

void TForm1::mnPropriedadesClick()
{
    if (!ActiveDocument())
        return;
    if (!Propriedades)
        Propriedades = new TPropriedades(this);
    Propriedades->Execute(ActiveDocument());
}

void TForm1::mnRecortarClick()
{
    if (ActiveDocument() && ActiveChild() == ActiveDocument()) {
        ActiveDocument()->CopyToClipboard();
        ActiveDocument()->ClearSelection("Recortar");
    }
}

void TForm1::mnCopiarClick()
{
    if (ActiveDocument() && ActiveChild() == ActiveDocument())
        ActiveDocument()->CopyToClipboard();
    else if (State_.CutFillMapWindow && ActiveChild() == State_.CutFillMapWindow)
        State_.CutFillMapWindow->CopyMap();
    else if (State_.ActiveMapWindow && ActiveChild() == State_.ActiveMapWindow)
        State_.ActiveMapWindow->CopyMap();
    else if (auto* perfil = qobject_cast<TPerfil*>(ActiveChild()))
        perfil->CopyChart();
    else if (auto* drainage = qobject_cast<TMapaEscoamento*>(ActiveChild()))
        drainage->CopyMap();
    else if (auto* haul = qobject_cast<THaulWindow*>(ActiveChild()))
        haul->CopyHaul();
}

void TForm1::mnCurvasClick() { ShowAltimetricMap(*this); }
void TForm1::mnCurvasProjetoClick() { ShowDesignAltimetricMap(*this); }
void TForm1::mnPerfilClick() { ShowProfile(*this); }

void TForm1::mnEscoamentoClick() { ShowDrainageMap(*this); }

void TForm1::mnImprimirClick()
{
    if (CanPrint(ActiveChild()))
        PrintWindow(ActiveChild());
}

void TForm1::mnExportarPDFClick()
{
    if (CanPrint(ActiveChild()))
        ExportWindowPdf(ActiveChild());
}

void TForm1::mnExportarClick()
{
    if (!ActiveDocument() || ActiveDocument()->Terrain().ValueCount() == 0)
        return;
    if (!Exportar)
        Exportar = new TExportar(this);
    Exportar->Execute(ActiveDocument(), State_.ContourRequest, this);
}

void TForm1::mnWinSurfClick()
{
    if (ActiveDocument())
        ActiveDocument()->ExportWinSurf();
}

void TForm1::mnExibirResultadosClick()
{
    TResultado::ShowResults(*this);
    mnExibirResultados->setChecked(true);
}

void TForm1::mnExibirMapaClick()
{
    if (ActiveDocument())
        ActiveDocument()->ShowCutFillMap();
    mnExibirMapa->setChecked(State_.CutFillMapWindow != nullptr);
}

void TForm1::mnColarClick()
{
    if (ActiveDocument() && ActiveChild() == ActiveDocument())
        ActiveDocument()->PasteFromClipboard();
}

void TForm1::mnInsColClick()
{
    if (ActiveDocument())
        ActiveDocument()->InsertColumnAtCursor();
}

void TForm1::mnDelColClick()
{
    if (ActiveDocument())
        ActiveDocument()->DeleteColumnAtCursor();
}

void TForm1::mnInsRowClick()
{
    if (ActiveDocument())
        ActiveDocument()->InsertRowAtCursor();
}

void TForm1::mnDelRowClick()
{
    if (ActiveDocument())
        ActiveDocument()->DeleteRowAtCursor();
}

void TForm1::mnToolBarClick() { ToolBar->setVisible(mnToolBar->isChecked()); }

void TForm1::mnStatusBarClick() { StatusBar->setVisible(mnStatusBar->isChecked()); }

void TForm1::mnJanArranjarClick()
{
    // Minimized children in a row along the bottom edge, left to right.
    int x = 0;
    const int bottom = MdiArea_->viewport()->height();
    for (QMdiSubWindow* w : MdiArea_->subWindowList()) {
        if (!w->isMinimized())
            continue;
        const QSize size = w->size();
        if (x > 0 && x + size.width() > MdiArea_->viewport()->width())
            x = 0;
        w->move(x, bottom - size.height());
        x += size.width();
    }
}

void TForm1::mnJanMiniminizarClick()
{
    const QList<QMdiSubWindow*> windows = MdiArea_->subWindowList();
    for (auto it = windows.rbegin(); it != windows.rend(); ++it)
        (*it)->showMinimized();
}

void TForm1::CopiaComponents1Click() { State_.DeveloperMode = CopiaComponents1->isChecked(); }

void TForm1::sbFontClick()
{
    if (!ActiveDocument())
        return;
    QFont font = FontDialogFont;
    if (Dialogs().ChooseFont(this, font)) {
        FontDialogFont = font;
        ActiveDocument()->SetGridFont(font, 0);
    }
}

void TForm1::sbMenosDecClick()
{
    if (ActiveDocument())
        ActiveDocument()->SetGridFont(FontDialogFont, -1);
}

void TForm1::sbMaisDecClick()
{
    if (ActiveDocument())
        ActiveDocument()->SetGridFont(FontDialogFont, +1);
}

void TForm1::showEvent(QShowEvent* e)
{
    QMainWindow::showEvent(e);
    // The about box is the opening screen: once, when the frame first shows
    // (a window manager may or may not activate the frame by then).
    if (!AboutShown) {
        AboutShown = true;
        QTimer::singleShot(0, this, [this] { Dialogs().ExecDialog(About); });
    }
}

void TForm1::SetHelpContext()
{
    // clang-format off
    const std::pair<QAction*, int> contexts[] = {
        {mnNovo, 1},        {mnAbrir, 2},           {mnFechar, 3},     {mnSalvar, 4},       {mnSalvarComo, 5},
        {mnImprimir, 80},   {mnExportarPDF, 81},
        {FileExitItem, 6},  {mnRecortar, 7},        {mnCopiar, 8},     {mnColar, 9},        {XColuna1->menuAction(), 10},
        {LinhaY1->menuAction(), 11}, {mnInsCol, 12}, {mnDelCol, 13},   {mnInsRow, 14},      {mnDelRow, 15},
        {mnSistematizar, 18}, {mnExibirResultados, 20}, {mnExibirMapa, 21}, {mnCurvas, 22}, {mnEscoamento, 100}, {mnWinSurf, 23},
        {mnToolBar, 24},    {mnStatusBar, 25},      {mnJanCascata, 27}, {mnJanLado, 28},    {mnJanArranjar, 29},
        {mnJanMiniminizar, 30}, {HelpAboutItem, 33}, {mnDesfazer, 60}, {mnRefazer, 61},
        {mnImportarPontos, 70}, {mnPropriedades, 71}, {mnRestricoes, 95}, {mnOtimizar, 96}, {mnTransporte, 110},
        {mnCurvasProjeto, 121}, {mnPerfil, 120},
    };
    // clang-format on
    for (const auto& [action, context] : contexts)
        action->setProperty("HelpContext", context);
    seZoom->setProperty("HelpContext", 37);
}

namespace {

// The help context of the control with the focus, or of the highlighted
// menu item, or of the nearest parent that has one.
int FocusContext()
{
    if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget()))
        if (QAction* a = menu->activeAction())
            return a->property("HelpContext").toInt();
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (const int context = w->property("HelpContext").toInt())
            return context;
    if (QWidget* window = QApplication::activeWindow())
        return window->property("HelpContext").toInt();
    return 0;
}

}  // namespace

const QWidget* TForm1::HelpWindow() const
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    if (QMdiSubWindow* child = ActiveChild())
        return child;
    return this;
}

bool TForm1::MyOnHelp()
{
    if (State_.DeveloperMode) {
        const std::string text = HelpContextProcedureText(HelpControlTree(HelpWindow()));
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
        Messages().Beep();
        return true;
    }
    return ShowHelpTopic(State_, FocusContext());
}

void TForm1::Contedo1Click() { ShowHelpTopic(State_, 0); }

void TForm1::HelpAboutItemClick() { Dialogs().ExecDialog(About); }

void TForm1::ShowSystematizeDialog()
{
    if (ActiveDocument())
        DefSist->Execute();
}

void TForm1::mnRestricoesClick()
{
    if (!ActiveDocument() || !ActiveDocument()->Terrain().HasComputableBlock())
        return;
    if (!Restricoes)
        Restricoes = new TRestricoes(this);
    Restricoes->Execute(ActiveDocument());
}

void TForm1::mnOtimizarClick()
{
    if (!ActiveDocument() || !ActiveDocument()->Terrain().HasComputableBlock())
        return;
    if (!Otimizar)
        Otimizar = new TOtimizar(this);
    Otimizar->Execute(ActiveDocument(), this);
}

void TForm1::mnTransporteClick()
{
    if (TForm2* doc = ActiveDocument())
        OpenHaulWindow(*this, *doc);
}

void TForm1::CommitActiveEdit()
{
    if (TForm2* doc = ActiveDocument())
        doc->CommitCellEdit();
}

void TForm1::closeEvent(QCloseEvent* e)
{
    // Every document asks whether to save, the active one first and each in
    // front while it asks; one answer of Cancel keeps the program open.
    QList<QPointer<QMdiSubWindow>> windows;
    const QList<QMdiSubWindow*> history = MdiArea_->subWindowList(QMdiArea::ActivationHistoryOrder);
    for (auto w = history.rbegin(); w != history.rend(); ++w)
        windows << *w;
    for (const QPointer<QMdiSubWindow>& w : windows) {
        // Closing the last document takes the results window with it.
        if (!w || !MdiArea_->subWindowList().contains(w.data()))
            continue;
        if (qobject_cast<TForm2*>(w.data()))
            ActivateChild(w);
        if (!w->close()) {
            e->ignore();
            return;
        }
    }
    if (!MdiArea_->subWindowList().isEmpty()) {
        e->ignore();
        return;
    }
    // The help window belongs to the frame and goes with it: the program
    // ends when its frame closes.
    if (THelpViewer* help = State_.HelpViewer)
        help->close();
    e->accept();
}

}  // namespace nivora
