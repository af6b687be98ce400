#pragma once
// An option button drawn as the hole it stands for: a ring on the picture,
// filled when chosen. Its size follows the picture's scale.

#include <QRadioButton>

namespace vantrel {

class HoleButton : public QRadioButton {
    Q_OBJECT
public:
    explicit HoleButton(QWidget* parent = nullptr);

    void setDiameter(int diameter);
    int diameter() const { return m_diameter; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& pos) const override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    int m_diameter = 18;
    bool m_hovered = false;
};

}  // namespace vantrel
