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
    {ControlKind::Group, -1, "Virtual Tape Position", 0, 0, 0, 1, 4},
    {ControlKind::Slider, 1036, nullptr, -1, 0, 0, 1, 1},
    {ControlKind::Button, 1031, "Rewind", 0, 1, 0, 1, 1},
    {ControlKind::PushRadio, 1043, "Play", 0, 1, 1, 1, 1},
    {ControlKind::PushRadio, 1044, "Stop", 0, 1, 2, 1, 1},
    {ControlKind::Button, 1032, "Eject", 0, 1, 3, 1, 1},
    {ControlKind::Group, 1048, "Tape Sampling Frequency", 0, 2, 0, 1, 3},
    {ControlKind::Radio, 1049, "11025 Hz", 1048, 0, 0, 1, 1},
    {ControlKind::Radio, 1050, "22050 Hz", 1048, 0, 1, 1, 1},
    {ControlKind::Radio, 1051, "44100 Hz", 1048, 0, 2, 1, 1},
    {ControlKind::DefaultButton, 1, "OK", 0, 2, 3, 1, 1},
};
constexpr DialogDescription TapeDialog = {"TapeDialog", "Tape Control", TapeControls,
                                          int(std::size(TapeControls))};

constexpr int RateIds[3] = {1049, 1050, 1051};
constexpr uint32_t Rates[3] = {11025, 22050, 44100};

} // namespace

void ShowTapeDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(TapeDialog);
    QDialog* dialog = d.get();
    auto* position = ControlOf<QSlider>(dialog, 1036);
    position->setTickPosition(QSlider::NoTicks);
    position->setRange(0, 1000);
    position->setEnabled(false); // it only shows the position
    const TapeStatus tape = CurrentTapeStatus();
    position->setValue(tape.permille);

    auto* play = ControlOf<QPushButton>(dialog, 1043);
    auto* stop = ControlOf<QPushButton>(dialog, 1044);
    if (tape.sort == TapeSort::Recording || tape.sort == TapeSort::Pulses) {
        (tape.playing ? play : stop)->setChecked(true);
        const uint32_t hz = RecordingRate();
        const int rate = hz == 11025 ? 0 : hz == 22050 ? 1 : 2;
        ControlOf<QRadioButton>(dialog, RateIds[rate])->setChecked(true);
        if (tape.sort == TapeSort::Pulses)
            for (int id : {1048, 1049, 1050, 1051})
                ControlOf<QWidget>(dialog, id)->setEnabled(false);
    } else { // a TAP image is read block by block by the loader: nothing plays
        for (int id : {1043, 1044, 1048, 1049, 1050, 1051})
            ControlOf<QWidget>(dialog, id)->setEnabled(false);
    }

    QObject::connect(play, &QPushButton::clicked, [] { PlayTape(); });
    QObject::connect(stop, &QPushButton::clicked, [] { StopTape(); });
    for (int i = 0; i < 3; ++i) // the rate applies once the dialog has closed
        QObject::connect(ControlOf<QRadioButton>(dialog, RateIds[i]), &QRadioButton::clicked,
                         [i] { SetRecordingRate(Rates[i]); });
    QObject::connect(ControlOf<QPushButton>(dialog, 1031), &QPushButton::clicked, [=] {
        RewindTape();
        position->setValue(0);
    });
    QObject::connect(ControlOf<QPushButton>(dialog, 1032), &QPushButton::clicked, [=] {
        CloseTape();
        dialog->close();
    });
    d->exec();
}
