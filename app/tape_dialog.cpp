// Tape Control: the recorder's buttons, the sampling frequency of a recording and how far the
// tape has been read. A pulse tape (.tzx, .csw, .pzx) plays and stops as a recording does; its
// pulses have no rate.
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "engine/engine.h"

namespace {

constexpr ControlDescription TapeControls[] = {
    {ControlKind::Group, "positionGroup", "Virtual Tape Position", nullptr, 0, 0, 1, 4},
    {ControlKind::Slider, "position", nullptr, "positionGroup", 0, 0, 1, 1},
    {ControlKind::Button, "rewind", "Rewind", nullptr, 1, 0, 1, 1},
    {ControlKind::PushRadio, "play", "Play", nullptr, 1, 1, 1, 1},
    {ControlKind::PushRadio, "stop", "Stop", nullptr, 1, 2, 1, 1},
    {ControlKind::Button, "eject", "Eject", nullptr, 1, 3, 1, 1},
    {ControlKind::Group, "rate", "Tape Sampling Frequency", nullptr, 2, 0, 1, 3},
    {ControlKind::Radio, "rate11025", "11025 Hz", "rate", 0, 0, 1, 1},
    {ControlKind::Radio, "rate22050", "22050 Hz", "rate", 0, 1, 1, 1},
    {ControlKind::Radio, "rate44100", "44100 Hz", "rate", 0, 2, 1, 1},
    {ControlKind::DefaultButton, "ok", "OK", nullptr, 2, 3, 1, 1},
};
constexpr DialogDescription TapeDialog = {"TapeDialog", "Tape Control", TapeControls,
                                          int(std::size(TapeControls))};

constexpr const char* RateNames[3] = {"rate11025", "rate22050", "rate44100"};
constexpr uint32_t Rates[3] = {11025, 22050, 44100};

} // namespace

void ShowTapeDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(TapeDialog);
    QDialog* dialog = d.get();
    auto* position = ControlOf<QSlider>(dialog, "position");
    position->setTickPosition(QSlider::NoTicks);
    position->setRange(0, 1000);
    position->setEnabled(false); // it only shows the position
    const TapeStatus tape = CurrentTapeStatus();
    position->setValue(tape.permille);

    auto* play = ControlOf<QPushButton>(dialog, "play");
    auto* stop = ControlOf<QPushButton>(dialog, "stop");
    if (tape.sort == TapeSort::Recording || tape.sort == TapeSort::Pulses) {
        (tape.playing ? play : stop)->setChecked(true);
        const uint32_t hz = RecordingRate();
        const int rate = hz == 11025 ? 0 : hz == 22050 ? 1 : 2;
        ControlOf<QRadioButton>(dialog, RateNames[rate])->setChecked(true);
        if (tape.sort == TapeSort::Pulses)
            for (const char* name : {"rate", "rate11025", "rate22050", "rate44100"})
                ControlOf<QWidget>(dialog, name)->setEnabled(false);
    } else { // a TAP image is read block by block by the loader: nothing plays
        for (const char* name : {"play", "stop", "rate", "rate11025", "rate22050", "rate44100"})
            ControlOf<QWidget>(dialog, name)->setEnabled(false);
    }

    QObject::connect(play, &QPushButton::clicked, [] { PlayTape(); });
    QObject::connect(stop, &QPushButton::clicked, [] { StopTape(); });
    for (int i = 0; i < 3; ++i) // the rate applies once the dialog has closed
        QObject::connect(ControlOf<QRadioButton>(dialog, RateNames[i]), &QRadioButton::clicked,
                         [i] { SetRecordingRate(Rates[i]); });
    QObject::connect(ControlOf<QPushButton>(dialog, "rewind"), &QPushButton::clicked, [=] {
        RewindTape();
        position->setValue(0);
    });
    QObject::connect(ControlOf<QPushButton>(dialog, "eject"), &QPushButton::clicked, [=] {
        CloseTape();
        dialog->close();
    });
    d->exec();
}
