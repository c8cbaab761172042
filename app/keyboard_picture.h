// The Spectrum's keyboard as a picture: the 40 keys with the keyword, symbol and extended-mode
// words of each.
#pragma once
#include <QWidget>

struct SpectrumKeyLegend {
    const char* key;     // the letter or digit, or the key's name
    const char* keyword; // white on the key: the keyword in K mode
    const char* symbol;  // red on the key: with SYMBOL SHIFT
    const char* above;   // green above the key: extended mode
    const char* below;   // red below the key: extended mode with SYMBOL SHIFT
};

// Four rows of ten, as on the machine.
extern const SpectrumKeyLegend SpectrumKeys[40];

class KeyboardPicture : public QWidget {
  public:
    KeyboardPicture();
    QSize sizeHint() const override; // the picture at its natural size
    // The natural size, or less with the same proportions when `available` is smaller.
    QSize FittedSize(QSize available) const;

  protected:
    void paintEvent(QPaintEvent*) override;
};
