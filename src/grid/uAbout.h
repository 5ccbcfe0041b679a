#pragma once
// TAbout: the about box, the program's opening screen. Twenty-four bars grow
// in ten steps into four fans around the title while it shows.

#include <QDialog>

#include <vector>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

namespace nivora {

class TAbout : public QDialog {
    Q_OBJECT
public:
    explicit TAbout(QWidget* parent = nullptr);

    // Starts the animation from the first step.
    void FormActivate();
    // One step of the animation (1..10): every bar at |tag| x step pixels.
    void SetStep(int step);
    int Step() const { return Step_; }
    void Button1Click();

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    QFrame* Bevel3 = nullptr;
    struct TBar {
        QFrame* Frame;
        int Tag;
    };
    std::vector<TBar> Bars;

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Timer1Timer();
    int Step_ = 0;
};

}  // namespace nivora
