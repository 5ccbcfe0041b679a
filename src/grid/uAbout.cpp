#include "uAbout.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdlib>

namespace nivora {

namespace {

constexpr int kBaseline = 188;  // where the lower fans stand
constexpr int kSteps = 10;

QLabel* Text(QWidget* parent, const char* name, const QString& text, int x, int y, const QFont& font,
             const QColor& colour)
{
    auto* l = new QLabel(text, parent);
    l->setObjectName(name);
    l->setFont(font);
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, colour);
    l->setPalette(p);
    l->move(x, y);
    l->adjustSize();
    return l;
}

QFont Font(const char* family, int pixels, bool bold, bool italic)
{
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(bold);
    f.setItalic(italic);
    return f;
}

}  // namespace

TAbout::TAbout(QWidget* parent) : QDialog(parent, Qt::Tool)
{
    setObjectName("About");
    setWindowTitle("Sobre o Nivora");
    setFixedSize(412, 311);
    QFont base("MS Sans Serif");
    base.setPixelSize(13);
    setFont(base);
    QPalette purple = palette();
    purple.setColor(QPalette::WindowText, QColor(128, 0, 128));
    setPalette(purple);

    const QColor navy(0, 0, 128), yellow(255, 255, 0), lime(0, 255, 0), maroon(128, 0, 0);
    const QFont title = Font("Lucida Sans", 40, true, true);
    const QFont subtitle = Font("Lucida Sans", 20, true, true);
    // Shadows first, so that the texts lie over them.
    Text(this, "sombra1", "Nivora", 100, 19, title, navy);
    Label1 = Text(this, "Label1", "Nivora", 97, 16, title, yellow);
    Text(this, "sombra2", "Programa Aplicado ao Cálculo de ", 25, 79, subtitle, lime);
    Text(this, "Titulo2", "Programa Aplicado ao Cálculo de ", 24, 77, subtitle, navy);
    Text(this, "sombra3", "Sistematização de Terrenos", 59, 112, subtitle, lime);
    Text(this, "Label3", "Sistematização de Terrenos", 57, 110, subtitle, navy);
    const QFont version = Font("Arial", 17, true, false);
    Text(this, "sombra4", "Versão 1.0", 167, 140, version, Qt::white);
    Text(this, "Label5", "Versão 1.0", 166, 139, version, maroon);
    Text(this, "Label7", "(Julho de 1997)", 162, 163, base, navy);

    Bevel3 = new QFrame(this);
    Bevel3->setObjectName("Bevel3");
    Bevel3->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Bevel3->setGeometry(24, 189, 366, 6);

    // Four fans of six bars: above the bar growing down from y = 8, below the
    // title band growing up to the baseline.
    const auto fan = [&](int x0, int firstTag, int tagStep, bool down) {
        for (int k = 0; k < 6; ++k) {
            auto* bar = new QFrame(this);
            const int tag = firstTag + k * tagStep;
            bar->setObjectName(QString("Bevel%1").arg(10 + int(Bars.size())));
            bar->setFrameStyle(QFrame::Panel | QFrame::Raised);
            bar->setAutoFillBackground(true);
            bar->setGeometry(x0 + 8 * k, down ? 8 : kBaseline, 6, 0);
            Bars.push_back({bar, down ? std::abs(tag) : -std::abs(tag)});
        }
    };
    fan(25, 6, -1, true);
    fan(343, 1, 1, true);
    fan(25, 6, -1, false);
    fan(343, 1, 1, false);

    Button1 = new QPushButton("OK", this);
    Button1->setObjectName("Button1");
    Button1->setGeometry(170, 272, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAbout::Button1Click);

    Timer1 = new QTimer(this);
    Timer1->setObjectName("Timer1");
    Timer1->setInterval(150);
    connect(Timer1, &QTimer::timeout, this, &TAbout::Timer1Timer);
}

void TAbout::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    FormActivate();
}

void TAbout::FormActivate()
{
    SetStep(1);
    Timer1->start();
}

void TAbout::SetStep(int step)
{
    Step_ = step;
    for (const TBar& b : Bars) {
        const int height = std::abs(b.Tag) * step;
        const int top = b.Tag < 0 ? kBaseline - height : 8;
        b.Frame->setGeometry(b.Frame->x(), top, 6, height);
    }
}

void TAbout::Timer1Timer()
{
    if (Step_ >= kSteps) {
        Timer1->stop();
        return;
    }
    SetStep(Step_ + 1);
}

void TAbout::Button1Click()
{
    // The remaining steps run at once, and the box closes.
    Timer1->stop();
    SetStep(kSteps);
    accept();
}

}  // namespace nivora
