#pragma once
// TFileNew: the dialog behind "&Novo...": the stake spacing in both
// directions and the stake number of the origin; on OK an empty 20 x 20
// grid document. Created once and reused, so it keeps what was typed.

#include <QDialog>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace nivora {

class TFileNew : public QDialog {
    Q_OBJECT
public:
    explicit TFileNew(QWidget* parent = nullptr);

    // Shows the dialog modally; true when a document was created.
    bool Execute();

    // Recomputes the origin and the "Origem: ..." label.
    void UpdateOrigin();
    void CheckBox1Click();
    void edLxChange();
    void BitBtn1Click();

    // The spacing and the origin of the last document made here, kept
    // between uses; the origin follows the fields as they are typed.
    float Lx() const { return Lx_; }
    float Ly() const { return Ly_; }
    float OriginX() const { return OriginX_; }
    float OriginY() const { return OriginY_; }

protected:
    bool eventFilter(QObject* object, QEvent* event) override;
    void showEvent(QShowEvent* e) override;

private:
    QGroupBox* GroupBox1 = nullptr;
    QCheckBox* CheckBox1 = nullptr;
    QLabel* lbLx = nullptr;
    QLineEdit* edLx = nullptr;
    QLabel* lbLy = nullptr;
    QLineEdit* edLy = nullptr;
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label1 = nullptr;
    QSpinBox* spNx = nullptr;
    QLabel* Label2 = nullptr;
    QSpinBox* spNy = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* BitBtn1 = nullptr;
    QPushButton* BitBtn2 = nullptr;
    QPushButton* BitBtn3 = nullptr;

    float Lx_ = 10.0f;
    float Ly_ = 30.0f;
    float OriginX_ = 0.0f;
    float OriginY_ = 0.0f;
};

}  // namespace nivora
