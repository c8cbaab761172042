// Poke Memory: one byte of the Spectrum's memory set by hand, the ROM area included.
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include "app/dialog_builder.h"
#include "app/dialogs.h"
#include "app/poke_number.h"
#include "engine/engine.h"

namespace {

constexpr ControlDescription PokeControls[] = {
    {ControlKind::Text, nullptr, "Use this to set a memory location to a specific value.", nullptr,
     0, 0, 1, 3},
    {ControlKind::Text, nullptr, "Address", nullptr, 1, 0, 1, 1},
    {ControlKind::Edit, "address", nullptr, nullptr, 1, 1, 1, 1},
    {ControlKind::Text, nullptr, "Address = 0 to 65535", nullptr, 1, 2, 1, 1},
    {ControlKind::Text, nullptr, "Value", nullptr, 2, 0, 1, 1},
    {ControlKind::Edit, "value", nullptr, nullptr, 2, 1, 1, 1},
    {ControlKind::Text, nullptr, "Value = 0 to 255", nullptr, 2, 2, 1, 1},
    {ControlKind::DefaultButton, "poke", "Poke", nullptr, 3, 2, 1, 1},
};
constexpr DialogDescription PokeDialog = {"PokeDialog", "Poke Memory", PokeControls,
                                          int(std::size(PokeControls))};

} // namespace

void ShowPokeDialog() {
    std::unique_ptr<QDialog> d = BuildDialog(PokeDialog);
    QDialog* dialog = d.get();
    auto* address = ControlOf<QLineEdit>(dialog, "address");
    auto* value = ControlOf<QLineEdit>(dialog, "value");
    QObject::connect(ControlOf<QPushButton>(dialog, "poke"), &QPushButton::clicked, [=] {
        uint16_t where = 0;
        uint8_t what = 0;
        if (ReadPokeFields(address->text().toStdString(), value->text().toStdString(), where,
                           what)) {
            PokeMemory(where, what); // directly: the processor's ROM protection is bypassed
            dialog->accept();
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Poke Memory"),
                        QStringLiteral("Invalid Address or Value"), QMessageBox::Ok, dialog);
        box.exec(); // the dialog stays open with what was typed
    });
    d->exec();
}
