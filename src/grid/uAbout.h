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

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Timer1Timer();

    QLabel* Label1 = nullptr;
    QPushButton* Button1 = nullptr;
    QTimer* Timer1 = nullptr;
    QFrame* Bevel3 = nullptr;
    // The bars Bevel10..Bevel33; a bar |Tag| pixels a step high grows down
    // from the top when Tag is positive, up to the baseline when negative.
    struct TBar {
        QFrame* Frame;
        int Tag;
    };
    std::vector<TBar> Bars;
    int Step_ = 0;
};

}  // namespace nivora
