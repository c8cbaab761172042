#include "app/dialog_builder.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>

#include "app/icons.h"
#include "app/main_window.h"

static QWidget* MakeControl(const ControlDescription& c, QDialog* dialog) {
    const QString text = QString::fromLatin1(c.text ? c.text : "");
    switch (c.kind) {
    case ControlKind::Text: {
        auto* label = new QLabel(text);
        if (text.size() > 60 && !text.contains('\n')) { // long explanations wrap
            label->setWordWrap(true);
            label->setMinimumWidth(300);
        }
        return label;
    }
    case ControlKind::Button:
    case ControlKind::DefaultButton: {
        auto* button = new QPushButton(text);
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefaultButton);
        // OK takes the close box's path, so closing applies the dialog however it is closed.
        if (c.name && QLatin1String(c.name) == QLatin1String("ok"))
            QObject::connect(button, &QPushButton::clicked, dialog, &QDialog::close);
        return button;
    }
    case ControlKind::CheckBox: return new QCheckBox(text);
    case ControlKind::Radio: return new QRadioButton(text);
    case ControlKind::PushRadio: {
        auto* button = new QPushButton(text);
        button->setCheckable(true); // exclusive with its neighbours through the builder's group
        button->setAutoDefault(false);
        return button;
    }
    case ControlKind::Group: {
        auto* group = new QGroupBox(text);
        new QGridLayout(group);
        return group;
    }
    case ControlKind::Slider: {
        auto* slider = new QSlider(Qt::Horizontal);
        slider->setTickPosition(QSlider::TicksBelow);
        slider->setMinimumWidth(160);
        return slider;
    }
    case ControlKind::Edit: return new QLineEdit;
    case ControlKind::Icon: {
        auto* label = new QLabel;
        label->setPixmap(ProgramIconPixmap(c.text, 32));
        label->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        return label;
    }
    }
    return nullptr;
}

std::unique_ptr<QDialog> BuildDialog(const DialogDescription& description) {
    auto dialog = std::make_unique<QDialog>(TheMainWindow());
    dialog->setObjectName(QString::fromLatin1(description.resource));
    dialog->setWindowTitle(QString::fromLatin1(description.title));
    // Modal to the main window only: the help windows, which belong to no window, stay usable
    // while a dialog is open (the performance warning's Help leaves it open).
    dialog->setWindowModality(Qt::WindowModal);
    dialog->setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                           Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
    auto* grid = new QGridLayout(dialog.get());
    grid->setSizeConstraint(QLayout::SetFixedSize);
    QMap<QString, QGridLayout*> grids;
    // The push buttons of one parent work as a recorder's keys: one down at a time, and a click
    // on the one down leaves it down (auto-exclusive push buttons let it come up).
    QMap<QString, QButtonGroup*> pushRadios;
    for (int i = 0; i < description.count; ++i) {
        const ControlDescription& c = description.controls[i];
        QWidget* w = MakeControl(c, dialog.get());
        const QString parent = QString::fromLatin1(c.parent ? c.parent : "");
        if (c.name) w->setObjectName(QString::fromLatin1(c.name));
        if (c.kind == ControlKind::Group)
            grids.insert(w->objectName(), static_cast<QGridLayout*>(w->layout()));
        if (c.kind == ControlKind::PushRadio) {
            QButtonGroup*& group = pushRadios[parent];
            if (!group) group = new QButtonGroup(dialog.get());
            group->addButton(static_cast<QPushButton*>(w));
        }
        QGridLayout* into = c.parent ? grids.value(parent, grid) : grid;
        into->addWidget(w, c.row, c.column, c.rowSpan ? c.rowSpan : 1,
                        c.columnSpan ? c.columnSpan : 1);
    }
    return dialog;
}
