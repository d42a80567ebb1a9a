// Picture9, the temperature box of the drive view: 96 x 48 pixels, a fixed
// background picture (a rounded pink field with a degree-Celsius sign at its
// right end) and the temperature printed over it in a large face.
#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace qm {

class TemperatureBox : public QWidget {
    Q_OBJECT
public:
    explicit TemperatureBox(QWidget* parent = nullptr);

    // Clears the box (the background stays) and prints `text` at x = 50,
    // y = 30 twips of the box, as the monitoring pass does (" --" or " 45").
    void Print(const QString& text);

    // The text printed last (empty before the first print).
    QString Text() const { return text_; }

    // The fixed background picture.
    static QImage Background();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
    QImage background_;  // drawn at the first paint
};

}  // namespace qm
